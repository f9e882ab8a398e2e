#include "platform/widgetkit/desk/desk_window.h"

#include <glib/gstdio.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <utility>

#include "platform/foundation/command.h"
#include "platform/foundation/container.h"
#include "platform/foundation/date.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/file.h"
#include "platform/ui/render/render.h"
#include "platform/widgetkit/desk/dialogs.h"
#include "platform/widgetkit/host/widget_requests.h"

namespace widgetkit::desk {
namespace {

using foundation::Date;

// Points between tiles and around them, as on a desktop's widget grid.
constexpr int kGap = 24;
// Two medium tiles side by side: the desk's natural width.
constexpr int kNaturalColumns = 2;
// Events within this many milliseconds make one reload.
constexpr unsigned kCoalesceMs = 100;
// Seconds a new tile waits for its first entry before it shows the placeholder.
constexpr double kPlaceholderAfter = 0.25;

int tileWidth(WidgetFamily family) { return static_cast<int>(displaySize(family).width); }
int tileHeight(WidgetFamily family) { return static_cast<int>(displaySize(family).height); }

// Rows of tiles in child order, each as wide as `width` allows: returns the height used.
int flow(GtkWidget* grid, int width, bool allocate) {
    int x = kGap, y = kGap, rowHeight = 0;
    bool any = false;
    for (GtkWidget* child = gtk_widget_get_first_child(grid); child != nullptr;
         child = gtk_widget_get_next_sibling(child)) {
        if (!gtk_widget_should_layout(child)) continue;
        int w = 0, h = 0;
        gtk_widget_get_size_request(child, &w, &h);
        if (x > kGap && x + w > width - kGap) {
            x = kGap;
            y += rowHeight + kGap;
            rowHeight = 0;
        }
        if (allocate) {
            int minimum = 0, natural = 0;
            gtk_widget_measure(child, GTK_ORIENTATION_HORIZONTAL, -1, &minimum, &natural, nullptr,
                               nullptr);
            const GtkAllocation box{x, y, w, h};
            gtk_widget_size_allocate(child, &box, -1);
        }
        x += w + kGap;
        rowHeight = std::max(rowHeight, h);
        any = true;
    }
    return any ? y + rowHeight + kGap : 2 * kGap;
}

void measureGrid(GtkWidget* grid, GtkOrientation orientation, int forSize, int* minimum,
                 int* natural, int*, int*) {
    if (orientation == GTK_ORIENTATION_HORIZONTAL) {
        int widest = 0;
        for (GtkWidget* child = gtk_widget_get_first_child(grid); child != nullptr;
             child = gtk_widget_get_next_sibling(child)) {
            int w = 0, h = 0;
            gtk_widget_get_size_request(child, &w, &h);
            widest = std::max(widest, w);
        }
        *minimum = widest + 2 * kGap;
        *natural = std::max(*minimum, kNaturalColumns * tileWidth(WidgetFamily::systemMedium) +
                                          (kNaturalColumns + 1) * kGap);
        return;
    }
    const int width = forSize >= 0 ? forSize
                                   : kNaturalColumns * tileWidth(WidgetFamily::systemMedium) +
                                         (kNaturalColumns + 1) * kGap;
    *minimum = *natural = flow(grid, width, false);
}

void allocateGrid(GtkWidget* grid, int width, int, int) { flow(grid, width, true); }

GtkSizeRequestMode gridRequestMode(GtkWidget*) { return GTK_SIZE_REQUEST_HEIGHT_FOR_WIDTH; }

// The bundle identifier the widget kinds share ("org.example.App" for "org.example.App.clock").
std::string bundleIdentifier(const TupleWidget& widgets) {
    if (widgets.empty()) return {};
    const std::string& kind = widgets.front().kind();
    const auto dot = kind.rfind('.');
    return dot == std::string::npos ? kind : kind.substr(0, dot);
}

// The bundle's group container in `dataHome`: a folder named after the bundle identifier, with
// or without a team prefix ("TEAMID.org.example.App").
std::optional<std::string> findContainer(const std::string& dataHome, const std::string& bundle) {
    if (bundle.empty()) return std::nullopt;
    GDir* dir = g_dir_open(dataHome.c_str(), 0, nullptr);
    if (dir == nullptr) return std::nullopt;
    std::optional<std::string> found;
    const std::string suffix = "." + bundle;
    while (const char* name = g_dir_read_name(dir)) {
        const std::string n(name);
        const bool matches =
            n == bundle || (n.size() > suffix.size() &&
                            n.compare(n.size() - suffix.size(), suffix.size(), suffix) == 0);
        if (!matches) continue;
        std::string path = dataHome + "/" + n;
        if (g_file_test(path.c_str(), G_FILE_TEST_IS_DIR)) {
            found = std::move(path);
            break;
        }
    }
    g_dir_close(dir);
    return found;
}

bool isContentEvent(GFileMonitorEvent event) {
    return event != G_FILE_MONITOR_EVENT_ATTRIBUTE_CHANGED &&
           event != G_FILE_MONITOR_EVENT_PRE_UNMOUNT && event != G_FILE_MONITOR_EVENT_UNMOUNTED;
}

// What a tile's gestures and keys need: the desk and the widget's id.
struct TileRef {
    DeskWindow* desk;
    std::string id;
};

// Starts `brimlet [FOLDER]` (the window; a running one is presented), the program beside this
// one first, as the build tree and the package place them, else from PATH. The desk links no
// app code: the window is another program.
void launchBrimlet(const std::string& folder) {
    gchar* self = g_file_read_link("/proc/self/exe", nullptr);
    gchar* dir = self != nullptr ? g_path_get_dirname(self) : nullptr;
    gchar* beside = dir != nullptr ? g_build_filename(dir, "brimlet", nullptr) : nullptr;
    const bool found = beside != nullptr && g_file_test(beside, G_FILE_TEST_IS_EXECUTABLE);
    const gchar* argv[] = {found ? beside : "brimlet", folder.empty() ? nullptr : folder.c_str(),
                           nullptr};
    GError* error = nullptr;
    if (!g_spawn_async(nullptr, const_cast<gchar**>(argv), nullptr,
                       found ? G_SPAWN_DEFAULT : G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr,
                       &error)) {
        g_printerr("brimlet-desk: cannot open Brimlet: %s\n", error->message);
        g_error_free(error);
    }
    g_free(beside);
    g_free(dir);
    g_free(self);
}

// Where a corrupt store is named; hidden while there is nothing to say.
GtkWidget* problemLabel() {
    GtkWidget* label = gtk_label_new(nullptr);
    gtk_label_set_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_xalign(GTK_LABEL(label), 0);
    gtk_label_set_max_width_chars(GTK_LABEL(label), 72);
    gtk_widget_add_css_class(label, "error");
    gtk_widget_set_margin_start(label, kGap);
    gtk_widget_set_margin_end(label, kGap);
    gtk_widget_set_margin_top(label, 12);
    gtk_widget_set_visible(label, FALSE);
    return label;
}

// An empty desk: the "Add Widget…" button in the middle.
GtkWidget* emptyDeskPage() {
    GtkWidget* empty = gtk_button_new_with_label("Add Widget…");
    gtk_widget_add_css_class(empty, "pill");
    gtk_widget_add_css_class(empty, "suggested-action");
    gtk_widget_set_halign(empty, GTK_ALIGN_CENTER);
    gtk_widget_set_valign(empty, GTK_ALIGN_CENTER);
    gtk_actionable_set_action_name(GTK_ACTIONABLE(empty), "win.add-widget");
    GtkWidget* page = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_widget_set_size_request(page, -1, 2 * tileHeight(WidgetFamily::systemSmall));
    gtk_widget_set_vexpand(empty, TRUE);
    gtk_box_append(GTK_BOX(page), empty);
    return page;
}

}  // namespace

// The answer inbox wakes the main loop through this, so that a request answering after the
// window is gone finds no window.
struct DeskWindow::WakeTarget {
    DeskWindow* desk = nullptr;
};

DeskWindow::DeskWindow(GtkApplication* app, const TupleWidget& widgets, DeskOptions options)
    : app_(app), widgets_(widgets), options_(std::move(options)), model_(widgets) {
    auto target = std::make_shared<WakeTarget>();
    target->desk = this;
    auto pending = answersPending_;
    // Called on request threads: schedule one pump on the main loop for any number of answers.
    inbox_ = std::make_shared<host::AnswerInbox>([target, pending] {
        if (pending->exchange(true)) return;
        auto* held = new std::shared_ptr<WakeTarget>(target);
        g_idle_add_full(
            G_PRIORITY_DEFAULT,
            [](gpointer data) -> gboolean {
                auto& t = *static_cast<std::shared_ptr<WakeTarget>*>(data);
                if (t->desk != nullptr) t->desk->pump();
                return G_SOURCE_REMOVE;
            },
            held, [](gpointer data) { delete static_cast<std::shared_ptr<WakeTarget>*>(data); });
    });
    wakeTarget_ = target;

    if (auto path = host::PlacedStore::defaultPath()) store_.emplace(std::move(*path));
    buildWindow();
    loadStore();
    watchFiles();
    systemEvents_ = std::make_unique<SystemEvents>([this] { reloadAll(); });
    pump();
}

DeskWindow::~DeskWindow() {
    wakeTarget_->desk = nullptr;
    for (auto& view : views_) {
        if (view.popover != nullptr) gtk_widget_unparent(view.popover);
    }
    for (GFileMonitor* m : {storeMonitor_, containerMonitor_, dataHomeMonitor_}) {
        if (m != nullptr) {
            g_signal_handlers_disconnect_by_data(m, this);
            g_object_unref(m);
        }
    }
    if (pumpSource_ != 0) g_source_remove(pumpSource_);
    if (wakeSource_ != 0) g_source_remove(wakeSource_);
}

TileLook DeskWindow::look() const {
    TileLook look;
    look.scale = std::max(1, gtk_widget_get_scale_factor(GTK_WIDGET(window_)));
    look.appearance =
        appearance_ && appearance_->dark() ? ui::ColorScheme::dark : ui::ColorScheme::light;
    look.rendering = accented_ ? ui::RenderingMode::accented : ui::RenderingMode::fullColor;
    return look;
}

// Window actions: the menus' items name them.
void DeskWindow::addActions() {
    // One entry a block: name, handler, then parameter type, state and change handler.
    // clang-format off
    static const GActionEntry kActions[] = {
        {"add-widget",
         [](GSimpleAction*, GVariant*, gpointer self) {
             openGallery(*static_cast<DeskWindow*>(self));
         },
         nullptr, nullptr, nullptr, {}},
        {"reload-all",
         [](GSimpleAction*, GVariant*, gpointer self) {
             static_cast<DeskWindow*>(self)->reloadAll();
         },
         nullptr, nullptr, nullptr, {}},
        {"accented",
         [](GSimpleAction* action, GVariant*, gpointer self) {
             GVariant* state = g_action_get_state(G_ACTION(action));
             const bool on = !g_variant_get_boolean(state);
             g_variant_unref(state);
             g_simple_action_set_state(action, g_variant_new_boolean(on));
             auto* desk = static_cast<DeskWindow*>(self);
             desk->accented_ = on;
             desk->redraw();
         },
         nullptr, "false", nullptr, {}},
        {"edit-widget",
         [](GSimpleAction*, GVariant* id, gpointer self) {
             openPicker(*static_cast<DeskWindow*>(self), g_variant_get_string(id, nullptr));
         },
         "s", nullptr, nullptr, {}},
        {"remove-widget",
         [](GSimpleAction*, GVariant* id, gpointer self) {
             static_cast<DeskWindow*>(self)->remove(g_variant_get_string(id, nullptr));
         },
         "s", nullptr, nullptr, {}},
        {"open-brimlet",
         [](GSimpleAction*, GVariant*, gpointer self) {
             static_cast<DeskWindow*>(self)->openBrimlet({});
         },
         nullptr, nullptr, nullptr, {}},
        {"reload-widget",
         [](GSimpleAction*, GVariant* id, gpointer self) {
             auto* desk = static_cast<DeskWindow*>(self);
             desk->model_.reload(g_variant_get_string(id, nullptr));
             desk->pump();
         },
         "s", nullptr, nullptr, {}},
    };
    // clang-format on
    g_action_map_add_action_entries(G_ACTION_MAP(window_), kActions, G_N_ELEMENTS(kActions), this);
}

void DeskWindow::buildWindow() {
    window_ = GTK_WINDOW(gtk_application_window_new(app_));
    gtk_window_set_title(window_, "Brimlet Desk");
    addActions();

    // A menu bar of text only: no icon theme to load before the first frame.
    GMenu* bar = g_menu_new();
    GMenu* menu = g_menu_new();
    g_menu_append(menu, "Add Widget…", "win.add-widget");
    g_menu_append(menu, "Reload All Widgets", "win.reload-all");
    g_menu_append(menu, "Accented Widgets", "win.accented");
    g_menu_append(menu, "Open Brimlet", "win.open-brimlet");
    g_menu_append_submenu(bar, "Desk", G_MENU_MODEL(menu));
    g_object_unref(menu);
    gtk_application_set_menubar(app_, G_MENU_MODEL(bar));
    g_object_unref(bar);
    gtk_application_window_set_show_menubar(GTK_APPLICATION_WINDOW(window_), TRUE);

    GtkWidget* content = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    problem_ = problemLabel();
    gtk_box_append(GTK_BOX(content), problem_);

    grid_ = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_widget_set_layout_manager(
        grid_, gtk_custom_layout_new(gridRequestMode, measureGrid, allocateGrid));
    gtk_widget_set_halign(grid_, GTK_ALIGN_CENTER);
    gtk_widget_set_valign(grid_, GTK_ALIGN_START);
    GtkWidget* scroller = gtk_scrolled_window_new();
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER,
                                   GTK_POLICY_AUTOMATIC);
    // The window opens as large as its tiles need: two medium tiles wide, up to a screenful.
    gtk_scrolled_window_set_propagate_natural_width(GTK_SCROLLED_WINDOW(scroller), TRUE);
    gtk_scrolled_window_set_propagate_natural_height(GTK_SCROLLED_WINDOW(scroller), TRUE);
    gtk_scrolled_window_set_max_content_height(GTK_SCROLLED_WINDOW(scroller), 900);
    gtk_scrolled_window_set_child(GTK_SCROLLED_WINDOW(scroller), grid_);
    gtk_widget_set_vexpand(scroller, TRUE);

    stack_ = gtk_stack_new();
    gtk_stack_add_named(GTK_STACK(stack_), scroller, "tiles");
    gtk_stack_add_named(GTK_STACK(stack_), emptyDeskPage(), "empty");
    gtk_widget_set_vexpand(stack_, TRUE);
    gtk_box_append(GTK_BOX(content), stack_);
    gtk_window_set_child(window_, content);

    // Light or dark follows the desktop, live; only the pictures are drawn again.
    appearance_ = std::make_unique<Appearance>(options_.sessionBus, [this] { redraw(); });
    g_signal_connect_swapped(window_, "notify::scale-factor",
                             G_CALLBACK(+[](DeskWindow* self) { self->redraw(); }), this);
}

void DeskWindow::present() {
    gtk_window_present(window_);
    if (!options_.screenshot.empty()) {
        GdkFrameClock* clock = gtk_widget_get_frame_clock(GTK_WIDGET(window_));
        if (clock != nullptr) {
            g_signal_connect_swapped(clock, "after-paint", G_CALLBACK(+[](DeskWindow* self) {
                                         if (self->screenshotDue_) self->writeScreenshot();
                                     }),
                                     this);
        }
        maybeScreenshot();
    }
}

void DeskWindow::watchFiles() {
    if (store_) {
        const std::string& path = store_->path();
        // The folder exists from the start, so the monitor watches it without polling for it.
        const std::string folder = foundation::parentFolder(path);
        g_mkdir_with_parents(folder.c_str(), 0700);
        GFile* file = g_file_new_for_path(path.c_str());
        storeMonitor_ = g_file_monitor_file(file, G_FILE_MONITOR_NONE, nullptr, nullptr);
        g_object_unref(file);
        if (storeMonitor_ != nullptr) {
            g_signal_connect(storeMonitor_, "changed", G_CALLBACK(&DeskWindow::onStoreChanged),
                             this);
        }
    }
    watchContainer();
}

void DeskWindow::watchContainer() {
    const std::string bundle = bundleIdentifier(widgets_);
    const auto probe = foundation::groupContainerPath(bundle.empty() ? "x" : bundle);
    if (!probe) return;
    std::string dataHome = *probe;
    while (!dataHome.empty() && dataHome.back() == '/') dataHome.pop_back();
    dataHome = foundation::parentFolder(dataHome);
    if (const auto container = findContainer(dataHome, bundle)) {
        GFile* dir = g_file_new_for_path(container->c_str());
        containerMonitor_ = g_file_monitor_directory(dir, G_FILE_MONITOR_NONE, nullptr, nullptr);
        g_object_unref(dir);
        if (containerMonitor_ != nullptr) {
            g_signal_connect(containerMonitor_, "changed", G_CALLBACK(&DeskWindow::onFileChanged),
                             this);
        }
        if (dataHomeMonitor_ != nullptr) {
            g_signal_handlers_disconnect_by_data(dataHomeMonitor_, this);
            g_object_unref(dataHomeMonitor_);
            dataHomeMonitor_ = nullptr;
        }
        return;
    }
    // No container yet: the containing app makes one with its first scan. The data home is a
    // standard folder, made here when missing so that watching it needs no polling.
    g_mkdir_with_parents(dataHome.c_str(), 0700);
    if (dataHomeMonitor_ == nullptr && g_file_test(dataHome.c_str(), G_FILE_TEST_IS_DIR)) {
        GFile* dir = g_file_new_for_path(dataHome.c_str());
        dataHomeMonitor_ = g_file_monitor_directory(dir, G_FILE_MONITOR_NONE, nullptr, nullptr);
        g_object_unref(dir);
        if (dataHomeMonitor_ != nullptr) {
            g_signal_connect(dataHomeMonitor_, "changed",
                             G_CALLBACK(&DeskWindow::onDataHomeChanged), this);
        }
    }
}

void DeskWindow::onFileChanged(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent event,
                               gpointer self) {
    if (isContentEvent(event)) static_cast<DeskWindow*>(self)->reloadAll();
}

void DeskWindow::onStoreChanged(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent event,
                                gpointer self) {
    if (!isContentEvent(event)) return;
    auto* desk = static_cast<DeskWindow*>(self);
    desk->storeDirty_ = true;
    desk->schedulePump(kCoalesceMs);
}

void DeskWindow::onDataHomeChanged(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent event,
                                   gpointer self) {
    if (event != G_FILE_MONITOR_EVENT_CREATED && event != G_FILE_MONITOR_EVENT_MOVED_IN) return;
    auto* desk = static_cast<DeskWindow*>(self);
    if (desk->containerMonitor_ != nullptr) return;
    desk->watchContainer();
    if (desk->containerMonitor_ != nullptr) desk->reloadAll();
}

void DeskWindow::showProblem(const std::string& problem) {
    gtk_label_set_text(GTK_LABEL(problem_), problem.c_str());
    gtk_widget_set_visible(problem_, !problem.empty());
}

void DeskWindow::loadStore() {
    storeDirty_ = false;
    if (!store_) {
        showProblem("There is no home folder, so there is no placed-widget store.");
        return;
    }
    try {
        const host::PlacedWidgets placed = store_->load();
        showProblem({});
        model_.follow(placed.widgets);
    } catch (const std::exception& e) {
        // Nothing changes until the file can be read again; its monitor says when.
        std::string text = foundation::escapeForTerminal(e.what());
        if (!text.empty()) text[0] = static_cast<char>(g_ascii_toupper(text[0]));
        showProblem(text + ".");
    }
}

bool DeskWindow::changeStore(const std::function<void(host::PlacedWidgets&)>& change) {
    if (!store_) return false;
    try {
        store_->update(change);
    } catch (const std::exception& e) {
        std::string text = foundation::escapeForTerminal(e.what());
        if (!text.empty()) text[0] = static_cast<char>(g_ascii_toupper(text[0]));
        showProblem(text + ".");
        return false;
    }
    loadStore();
    pump();
    return true;
}

void DeskWindow::place(const WidgetConfiguration& widget, WidgetFamily family) {
    changeStore([&](host::PlacedWidgets& placed) {
        host::PlacedWidget w;
        w.id = placed.newId();
        w.kind = widget.kind();
        w.family = family;
        placed.widgets.push_back(std::move(w));
    });
}

void DeskWindow::configure(const std::string& id, const std::string& area) {
    changeStore([&](host::PlacedWidgets& placed) {
        if (host::PlacedWidget* w = placed.find(id)) w->area = area;
    });
}

void DeskWindow::remove(const std::string& id) {
    changeStore([&](host::PlacedWidgets& placed) {
        std::erase_if(placed.widgets, [&](const host::PlacedWidget& w) { return w.id == id; });
    });
}

void DeskWindow::reloadAll() {
    model_.reloadAll();
    schedulePump(kCoalesceMs);
}

void DeskWindow::schedulePump(unsigned delayMs) {
    if (pumpSource_ != 0) return;
    pumpSource_ = g_timeout_add(
        delayMs,
        [](gpointer self) -> gboolean {
            auto* desk = static_cast<DeskWindow*>(self);
            desk->pumpSource_ = 0;
            desk->pump();
            return G_SOURCE_REMOVE;
        },
        this);
}

void DeskWindow::pump() {
    answersPending_->store(false);
    if (storeDirty_) loadStore();
    const Date now = Date::now();
    for (auto& a : inbox_->take()) model_.finish(a.id, a.generation, std::move(a.timeline), now);
    for (auto& ticket : model_.start(now)) host::startRequest(std::move(ticket), inbox_);
    syncTiles();
    redraw();
    notifyLowSpace();
    armWake();
    maybeScreenshot();
}

void DeskWindow::armWake() {
    if (wakeSource_ != 0) {
        g_source_remove(wakeSource_);
        wakeSource_ = 0;
    }
    const Date now = Date::now();
    const auto next = model_.nextMoment(now);
    if (!next) return;
    // Whole milliseconds, rounded up, so the wake never comes before the moment; capped at a
    // day, after which the moment is simply looked at again.
    const double seconds = next->secondsSinceReferenceDate - now.secondsSinceReferenceDate;
    const double ms = std::clamp(std::ceil(seconds * 1000), 0.0, 86400000.0);
    wakeSource_ = g_timeout_add(
        static_cast<guint>(ms),
        [](gpointer self) -> gboolean {
            auto* desk = static_cast<DeskWindow*>(self);
            desk->wakeSource_ = 0;
            desk->pump();
            return G_SOURCE_REMOVE;
        },
        this);
}

DeskWindow::TileView* DeskWindow::findView(const std::string& id) {
    for (auto& v : views_) {
        if (v.id == id) return &v;
    }
    return nullptr;
}

GtkWidget* DeskWindow::makeTileWidget(const host::PlacedTimelines::Tile& tile, TileView& view) {
    const int w = tileWidth(tile.placed.family);
    const int h = tileHeight(tile.placed.family);
    GtkWidget* widget = nullptr;
    if (!tile.problem.empty()) {
        widget = gtk_label_new(tile.problem.c_str());
        gtk_label_set_wrap(GTK_LABEL(widget), TRUE);
        gtk_label_set_max_width_chars(GTK_LABEL(widget), 20);
        gtk_widget_add_css_class(widget, "card");
        gtk_widget_add_css_class(widget, "dim-label");
    } else {
        widget = gtk_picture_new();
        gtk_picture_set_can_shrink(GTK_PICTURE(widget), TRUE);
        gtk_picture_set_content_fit(GTK_PICTURE(widget), GTK_CONTENT_FIT_FILL);
        if (const auto* decl = host::findWidget(widgets_, tile.placed.kind)) {
            gtk_picture_set_alternative_text(GTK_PICTURE(widget), decl->displayName().c_str());
        }
    }
    gtk_widget_set_size_request(widget, w, h);
    gtk_widget_set_focusable(widget, TRUE);
    view.isProblem = !tile.problem.empty();
    view.family = tile.placed.family;

    // The context menu: secondary click, long press, the Menu key (or Shift+F10).
    const auto connect = [&](GObject* controller, const char* signal, GCallback callback) {
        g_signal_connect_data(
            controller, signal, callback, new TileRef{this, tile.placed.id},
            [](gpointer data, GClosure*) { delete static_cast<TileRef*>(data); }, GConnectFlags{});
    };
    GtkGesture* click = gtk_gesture_click_new();
    gtk_gesture_single_set_button(GTK_GESTURE_SINGLE(click), GDK_BUTTON_SECONDARY);
    connect(G_OBJECT(click), "pressed",
            G_CALLBACK(+[](GtkGestureClick*, int, double x, double y, TileRef* ref) {
                ref->desk->popUpMenu(ref->id, x, y);
            }));
    gtk_widget_add_controller(widget, GTK_EVENT_CONTROLLER(click));
    // A click opens Brimlet, as on the platform.
    GtkGesture* open = gtk_gesture_click_new();
    gtk_gesture_single_set_button(GTK_GESTURE_SINGLE(open), GDK_BUTTON_PRIMARY);
    connect(G_OBJECT(open), "released",
            G_CALLBACK(+[](GtkGestureClick*, int presses, double, double, TileRef* ref) {
                if (presses == 1) ref->desk->openBrimlet(ref->id);
            }));
    gtk_widget_add_controller(widget, GTK_EVENT_CONTROLLER(open));
    GtkGesture* press = gtk_gesture_long_press_new();
    gtk_gesture_single_set_touch_only(GTK_GESTURE_SINGLE(press), FALSE);
    connect(G_OBJECT(press), "pressed",
            G_CALLBACK(+[](GtkGestureLongPress*, double x, double y, TileRef* ref) {
                ref->desk->popUpMenu(ref->id, x, y);
            }));
    gtk_widget_add_controller(widget, GTK_EVENT_CONTROLLER(press));
    GtkEventController* keys = gtk_event_controller_key_new();
    connect(G_OBJECT(keys), "key-pressed",
            G_CALLBACK(+[](GtkEventControllerKey* controller, guint keyval, guint,
                           GdkModifierType state, TileRef* ref) -> gboolean {
                const bool menuKey = keyval == GDK_KEY_Menu ||
                                     (keyval == GDK_KEY_F10 && (state & GDK_SHIFT_MASK) != 0);
                if (keyval == GDK_KEY_Return || keyval == GDK_KEY_KP_Enter) {
                    ref->desk->openBrimlet(ref->id);
                    return TRUE;
                }
                if (!menuKey) return FALSE;
                GtkWidget* target =
                    gtk_event_controller_get_widget(GTK_EVENT_CONTROLLER(controller));
                ref->desk->popUpMenu(ref->id, gtk_widget_get_width(target) / 2.0,
                                     gtk_widget_get_height(target) / 2.0);
                return TRUE;
            }));
    gtk_widget_add_controller(widget, keys);
    return widget;
}

void DeskWindow::openBrimlet(const std::string& id) {
    std::string folder;
    const auto* tile = id.empty() ? nullptr : model_.find(id);
    // An area is a folder of the scanned home, named relative to it.
    if (tile != nullptr && tile->placed.kind.ends_with(".breakdown") && tile->placed.area &&
        !tile->placed.area->empty()) {
        gchar* path = g_build_filename(g_get_home_dir(), tile->placed.area->c_str(), nullptr);
        if (g_file_test(path, G_FILE_TEST_IS_DIR)) folder = path;
        g_free(path);
    }
    launchBrimlet(folder);
}

void DeskWindow::popUpMenu(const std::string& id, double x, double y) {
    TileView* view = findView(id);
    const auto* tile = model_.find(id);
    if (view == nullptr || tile == nullptr) return;
    if (view->popover != nullptr) {
        gtk_widget_unparent(view->popover);
        view->popover = nullptr;
    }
    GMenu* menu = g_menu_new();
    GVariant* target = g_variant_new_string(id.c_str());
    g_variant_ref_sink(target);
    const auto* decl = host::findWidget(widgets_, tile->placed.kind);
    const auto add = [&](const char* label, const char* action) {
        GMenuItem* item = g_menu_item_new(label, nullptr);
        g_menu_item_set_action_and_target_value(item, action, target);
        g_menu_append_item(menu, item);
        g_object_unref(item);
    };
    if (decl != nullptr && decl->panel()) add("Edit Widget…", "win.edit-widget");
    add("Remove Widget", "win.remove-widget");
    if (tile->problem.empty()) add("Reload", "win.reload-widget");
    g_variant_unref(target);
    view->popover = gtk_popover_menu_new_from_model(G_MENU_MODEL(menu));
    g_object_unref(menu);
    gtk_widget_set_parent(view->popover, view->widget);
    gtk_popover_set_has_arrow(GTK_POPOVER(view->popover), FALSE);
    const GdkRectangle at{static_cast<int>(x), static_cast<int>(y), 1, 1};
    gtk_popover_set_pointing_to(GTK_POPOVER(view->popover), &at);
    gtk_popover_popup(GTK_POPOVER(view->popover));
}

void DeskWindow::syncTiles() {
    const auto& tiles = model_.tiles();
    std::vector<TileView> next;
    next.reserve(tiles.size());
    GtkWidget* previous = nullptr;
    for (const auto& tile : tiles) {
        TileView view;
        if (TileView* old = findView(tile.placed.id); old != nullptr &&
                                                      old->family == tile.placed.family &&
                                                      old->isProblem == !tile.problem.empty()) {
            view = *old;
            old->widget = nullptr;  // kept
            old->popover = nullptr;
        } else {
            view.id = tile.placed.id;
            view.widget = makeTileWidget(tile, view);
            gtk_box_append(GTK_BOX(grid_), view.widget);
        }
        gtk_box_reorder_child_after(GTK_BOX(grid_), view.widget, previous);
        previous = view.widget;
        next.push_back(std::move(view));
    }
    for (auto& old : views_) {
        if (old.widget == nullptr) continue;
        if (old.popover != nullptr) gtk_widget_unparent(old.popover);
        gtk_box_remove(GTK_BOX(grid_), old.widget);
    }
    views_ = std::move(next);
    gtk_stack_set_visible_child_name(GTK_STACK(stack_), views_.empty() ? "empty" : "tiles");
}

void DeskWindow::redraw() {
    const TileLook current = look();
    const Date now = Date::now();
    bool changed = false;
    for (auto& view : views_) {
        if (view.isProblem) continue;
        const auto shown = model_.shown(view.id, now);
        if (shown.entry == nullptr) continue;
        if (!shown.live && !view.drawn) {
            // A new tile's first answer usually comes within moments: draw the placeholder only
            // if it does not.
            const auto* tile = model_.find(view.id);
            const double waited =
                tile != nullptr && tile->inFlight
                    ? now.secondsSinceReferenceDate - tile->requestStarted.secondsSinceReferenceDate
                    : kPlaceholderAfter;
            if (waited < kPlaceholderAfter) {
                schedulePump(static_cast<unsigned>(std::ceil((kPlaceholderAfter - waited) * 1000)));
                continue;
            }
        }
        const bool dark = current.appearance == ui::ColorScheme::dark;
        const bool accented = current.rendering == ui::RenderingMode::accented;
        if (view.drawn && view.revision == shown.revision && view.index == shown.index &&
            view.live == shown.live && view.scale == current.scale && view.dark == dark &&
            view.accented == accented) {
            continue;
        }
        std::string error;
        GdkTexture* texture = drawTile(*shown.entry, view.family, current, error);
        if (texture == nullptr) {
            gtk_widget_set_tooltip_text(view.widget, error.c_str());
            continue;
        }
        gtk_picture_set_paintable(GTK_PICTURE(view.widget), GDK_PAINTABLE(texture));
        g_object_unref(texture);
        view.drawn = true;
        view.revision = shown.revision;
        view.index = shown.index;
        view.live = shown.live;
        view.scale = current.scale;
        view.dark = dark;
        view.accented = accented;
        changed = true;
    }
    if (changed && screenshotWritten_ && options_.keepOpen) {
        screenshotDue_ = true;
        gtk_widget_queue_draw(GTK_WIDGET(window_));
    }
}

void DeskWindow::notifyLowSpace() {
    const auto notices = model_.takeLowSpaceNotices();
    // Notifications go over the session bus; without one there is nobody to tell.
    if (notices.empty() || g_application_get_dbus_connection(G_APPLICATION(app_)) == nullptr) {
        return;
    }
    for (const auto& notice : notices) {
        GNotification* n = g_notification_new("Disk almost full");
        g_notification_set_body(n, host::lowSpaceText(notice.reading).c_str());
        g_notification_set_priority(n, G_NOTIFICATION_PRIORITY_HIGH);
        g_application_send_notification(G_APPLICATION(app_), ("low-space-" + notice.id).c_str(), n);
        g_object_unref(n);
    }
}

void DeskWindow::maybeScreenshot() {
    if (options_.screenshot.empty() || screenshotDue_ || screenshotWritten_) return;
    if (!gtk_widget_get_mapped(GTK_WIDGET(window_))) return;
    const Date now = Date::now();
    bool drawn = true;
    for (const auto& view : views_) drawn = drawn && (view.isProblem || view.drawn);
    if (!model_.settled(now) || !drawn) {
        // A request may never answer: look again once it has had its time.
        schedulePump(250);
        return;
    }
    screenshotDue_ = true;
    gtk_widget_queue_draw(GTK_WIDGET(window_));
}

void DeskWindow::writeScreenshot() {
    screenshotDue_ = false;
    screenshotWritten_ = true;
    const std::string& path = options_.screenshot;
    GtkWidget* root = GTK_WIDGET(window_);
    const int scale = std::max(1, gtk_widget_get_scale_factor(root));
    GdkPaintable* paintable = gtk_widget_paintable_new(root);
    // The paintable's own size (the window with its frame), so that nothing is scaled.
    const int w = gdk_paintable_get_intrinsic_width(paintable);
    const int h = gdk_paintable_get_intrinsic_height(paintable);
    GtkSnapshot* snapshot = gtk_snapshot_new();
    // Drawn at the display's scale, so a tile's texture lands on pixels one to one.
    gtk_snapshot_scale(snapshot, static_cast<float>(scale), static_cast<float>(scale));
    gdk_paintable_snapshot(paintable, snapshot, w, h);
    GskRenderNode* node = gtk_snapshot_free_to_node(snapshot);
    g_object_unref(paintable);
    foundation::Status status;
    if (node == nullptr) {
        status = foundation::Status::failure("the window drew nothing");
    } else {
        GskRenderer* renderer = gtk_native_get_renderer(GTK_NATIVE(window_));
        const graphene_rect_t viewport =
            GRAPHENE_RECT_INIT(0, 0, static_cast<float>(w * scale), static_cast<float>(h * scale));
        GdkTexture* texture = gsk_renderer_render_texture(renderer, node, &viewport);
        gsk_render_node_unref(node);
        // Encoded as the tiles' PNGs are (libpng, fast): gdk's own writer takes several times
        // as long for a window's worth of pixels.
        render::TilePixels pixels;
        pixels.width = gdk_texture_get_width(texture);
        pixels.height = gdk_texture_get_height(texture);
        pixels.stride = pixels.width * 4;
        pixels.data.resize(static_cast<std::size_t>(pixels.stride) *
                           static_cast<std::size_t>(pixels.height));
        gdk_texture_download(texture, pixels.data.data(), static_cast<gsize>(pixels.stride));
        g_object_unref(texture);
        std::string png;
        status = render::encodePixelsPng(pixels, png);
        if (status) status = foundation::writeFileAtomically(path, png);
    }
    if (!status) {
        g_printerr("%s", foundation::messageLine("brimlet-desk", status.message()).c_str());
        status_ = 1;
    }
    if (!options_.keepOpen || status_ != 0) g_application_quit(G_APPLICATION(app_));
}

}  // namespace widgetkit::desk
