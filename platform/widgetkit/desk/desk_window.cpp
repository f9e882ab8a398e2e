#include "platform/widgetkit/desk/desk_window.h"

#include <gdkmm/frameclock.h>
#include <gdkmm/texture.h>
#include <giomm/file.h>
#include <giomm/menu.h>
#include <glibmm/fileutils.h>
#include <glibmm/main.h>
#include <glibmm/miscutils.h>
#include <gtkmm/application.h>
#include <gtkmm/menubutton.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/snapshot.h>
#include <gtkmm/widgetpaintable.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

#include "platform/foundation/command.h"
#include "platform/foundation/container.h"
#include "platform/foundation/date.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/file.h"
#include "platform/foundation/localization.h"
#include "platform/ui/render/render.h"
#include "platform/widgetkit/desk/autostart.h"
#include "platform/widgetkit/desk/gallery_dialog.h"
#include "platform/widgetkit/desk/keep_below.h"
#include "platform/widgetkit/desk/open_brimlet.h"
#include "platform/widgetkit/desk/picker_dialog.h"
#include "platform/widgetkit/desk/tile_grid_layout.h"
#include "platform/widgetkit/host/widget_requests.h"

namespace widgetkit::desk {
namespace {

using foundation::Date;

// Events within this many milliseconds make one reload.
constexpr unsigned kCoalesceMs = 100;
// Seconds a new tile waits for its first entry before it shows the redacted placeholder.
constexpr double kPlaceholderAfter = 0.25;

bool isContentEvent(Gio::FileMonitor::Event event) {
    return event != Gio::FileMonitor::Event::ATTRIBUTE_CHANGED &&
           event != Gio::FileMonitor::Event::PRE_UNMOUNT &&
           event != Gio::FileMonitor::Event::UNMOUNTED;
}

std::string capitalizedSentence(std::string text) {
    if (!text.empty()) text[0] = static_cast<char>(g_ascii_toupper(text[0]));
    return text + ".";
}

std::string familyWord(WidgetFamily family) {
    switch (family) {
        case WidgetFamily::systemSmall: return foundation::localizedFormat("small");
        case WidgetFamily::systemMedium: return foundation::localizedFormat("medium");
        case WidgetFamily::systemLarge: return foundation::localizedFormat("large");
        case WidgetFamily::systemExtraLarge: return foundation::localizedFormat("extra large");
        default: return foundation::localizedFormat("accessory");
    }
}

Glib::RefPtr<Gio::FileMonitor> monitor(const std::string& path, bool directory) {
    try {
        const auto file = Gio::File::create_for_path(path);
        return directory ? file->monitor_directory() : file->monitor_file();
    } catch (const Glib::Error&) {
        return {};
    }
}

// The pixels of `node` over `width` × `height` device pixels, as the window's renderer draws
// them, in the TilePixels layout (cairo's ARGB32).
void windowPixels(GskRenderer* renderer, GskRenderNode* node, int width, int height,
                  render::TilePixels& pixels) {
    pixels.width = width;
    pixels.height = height;
    pixels.stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
    pixels.data.assign(static_cast<std::size_t>(pixels.stride) * static_cast<std::size_t>(height),
                       0);
    if (GSK_IS_CAIRO_RENDERER(renderer)) {
        // What the cairo renderer does for a texture, straight into the buffer: GTK 4.8 would
        // hand the pixels back through a texture whose download converts every pixel to floats
        // and back.
        const std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
            cairo_image_surface_create_for_data(pixels.data.data(), CAIRO_FORMAT_ARGB32, width,
                                                height, pixels.stride),
            &cairo_surface_destroy);
        {
            const std::unique_ptr<cairo_t, decltype(&cairo_destroy)> cr(cairo_create(surface.get()),
                                                                        &cairo_destroy);
            gsk_render_node_draw(node, cr.get());
        }
        cairo_surface_flush(surface.get());
        return;
    }
    const graphene_rect_t viewport =
        GRAPHENE_RECT_INIT(0, 0, static_cast<float>(width), static_cast<float>(height));
    const auto texture = Glib::wrap(gsk_renderer_render_texture(renderer, node, &viewport));
    texture->download(pixels.data.data(), static_cast<gsize>(pixels.stride));
}

}  // namespace

DeskWindow* DeskWindow::create(Gtk::Application& app, std::unique_ptr<DeskSession> session,
                               const DeskOptions& options) {
    const auto builder =
        Gtk::Builder::create_from_resource("/org/brimlet/Brimlet/Desk/desk_window.ui");
    const auto menus = Gtk::Builder::create_from_resource("/org/brimlet/Brimlet/Desk/menus.ui");
    auto* window = Gtk::Builder::get_widget_derived<DeskWindow>(builder, "desk-window", app,
                                                                std::move(session), options);
    // The menu's popover is built when it first opens, not before the window's first frame.
    auto* button = builder->get_widget<Gtk::MenuButton>("primary-menu-button");
    button->set_create_popup_func(
        [button, model = menus->get_object<Gio::MenuModel>("primary-menu")] {
            if (!button->get_menu_model()) button->set_menu_model(model);
        });
    return window;
}

DeskWindow::DeskWindow(BaseObjectType* object, const Glib::RefPtr<Gtk::Builder>& builder,
                       Gtk::Application& app, std::unique_ptr<DeskSession> session,
                       DeskOptions options)
    : Gtk::ApplicationWindow(object),
      session_(std::move(session)),
      widgets_(session_->bundle().widgets),
      appGroup_(session_->bundle().appGroup),
      options_(std::move(options)),
      store_(session_->store()),
      model_(session_->model()) {
    app.add_window(*this);
    pages_ = builder->get_widget<Gtk::Stack>("pages");
    problem_ = builder->get_widget<Gtk::Label>("problem");
    grid_ = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL);
    grid_->set_layout_manager(TileGridLayout::create());
    grid_->set_halign(Gtk::Align::CENTER);
    grid_->set_valign(Gtk::Align::START);
    builder->get_widget<Gtk::ScrolledWindow>("scroller")->set_child(*grid_);

    // Called on request threads: one pump on the main loop for any number of answers.
    session_->setWake([token = lifetime_.token(), pending = answersPending_, this] {
        if (pending->exchange(true)) return;
        Glib::MainContext::get_default()->invoke([token, this] {
            if (const auto alive = token.lock(); alive && *alive) pump();
            return false;
        });
    });
    addActions();
    // Light or dark follows the desktop, live; only the pictures are drawn again.
    appearance_ = std::make_unique<Appearance>(
        options_.sessionBus ? app.get_dbus_connection() : nullptr, [this] { redraw(); });
    property_scale_factor().signal_changed().connect([this] { redraw(); });
    signal_map().connect([this] {
        // A screenshot is written once the frame that shows it has been painted.
        if (const auto clock = get_frame_clock(); clock && !options_.screenshot.empty()) {
            frameClock_ = clock;
            afterPaint_ = g_signal_connect_swapped(clock->gobj(), "after-paint",
                                                   G_CALLBACK(+[](DeskWindow* self) {
                                                       if (self->screenshotDue_)
                                                           self->writeScreenshot();
                                                   }),
                                                   this);
        }
        maybeScreenshot();
        if (auto keep = std::dynamic_pointer_cast<Gio::SimpleAction>(lookup_action("keep-below"))) {
            bool on = false;
            keep->get_state(on);
            if (on) keepBelow(*this, true);
        }
    });
    loadStore();
    watchFiles();
    systemEvents_ = std::make_unique<SystemEvents>([this] { reloadAll(); });
    pump();
}

DeskWindow::~DeskWindow() {
    pumpSource_.disconnect();
    wakeSource_.disconnect();
    session_->setWake({});
    if (frameClock_) g_signal_handler_disconnect(frameClock_->gobj(), afterPaint_);
}

TileLook DeskWindow::look() const {
    TileLook look;
    look.scale = std::max(1, get_scale_factor());
    look.appearance =
        appearance_ && appearance_->dark() ? ui::ColorScheme::dark : ui::ColorScheme::light;
    look.rendering = accented_ ? ui::RenderingMode::accented : ui::RenderingMode::fullColor;
    return look;
}

// Window actions; the menus' items name them. Each handler only calls into the window.
void DeskWindow::addActions() {
    add_action("add-widget", [this] { openGallery(); });
    add_action("reload-all", [this] { reloadAll(); });
    auto accented = add_action_bool("accented", false);
    accented->signal_activate().connect(
        [this, accented = accented.get()](const Glib::VariantBase&) {
            accented_ = !accented_;
            accented->change_state(accented_);
            redraw();
        });
    const auto text = Glib::Variant<Glib::ustring>::variant_type();
    const auto withId = [this, &text](const char* name, std::function<void(const std::string&)> f) {
        add_action_with_parameter(name, text, [f = std::move(f)](const Glib::VariantBase& id) {
            f(Glib::VariantBase::cast_dynamic<Glib::Variant<Glib::ustring>>(id).get());
        });
    };
    withId("edit-widget", [this](const std::string& id) { openPicker(id); });
    withId("remove-widget", [this](const std::string& id) { remove(id); });
    withId("open-widget", [this](const std::string& id) { openTile(id); });
    withId("reload-widget", [this](const std::string& id) {
        model_.reload(id);
        pump();
    });
    auto login = add_action_bool("start-at-login", startsAtLogin());
    login->signal_activate().connect(
        [this, login](const Glib::VariantBase&) { setStartAtLogin(login); });
    auto below = add_action_bool("keep-below", false);
    below->signal_activate().connect(
        [this, below](const Glib::VariantBase&) { setKeepBelow(below); });
    // Wayland has no way to ask for it: the item stays, greyed.
    below->set_enabled(canKeepBelow(*this));
}

void DeskWindow::setStartAtLogin(const Glib::RefPtr<Gio::SimpleAction>& action) {
    bool on = false;
    action->get_state(on);
    on = !on;
    const std::string program = thisProgram();
    if (const auto status = desk::setStartAtLogin(on, program); !status) {
        showProblem(foundation::formatLocalized(foundation::localizedFormat("Start at Login: %@"),
                                                {capitalizedSentence(status.message())}));
        action->change_state(false);
        return;
    }
    showProblem({});
    action->change_state(on);
}

void DeskWindow::setKeepBelow(const Glib::RefPtr<Gio::SimpleAction>& action) {
    bool on = false;
    action->get_state(on);
    action->change_state(!on);
    keepBelow(*this, !on);
}

void DeskWindow::watchFiles() {
    if (store_) {
        const std::string& path = store_->path();
        // The folder exists from the start, so the monitor watches it without polling for it.
        g_mkdir_with_parents(foundation::parentFolder(path).c_str(), 0700);
        storeMonitor_ = monitor(path, false);
        if (storeMonitor_) {
            storeMonitor_->signal_changed().connect(
                [this](const auto&, const auto&, Gio::FileMonitor::Event event) {
                    if (!isContentEvent(event)) return;
                    storeDirty_ = true;
                    schedulePump(kCoalesceMs);
                });
        }
    }
    watchContainer();
}

// The app group's container holds the snapshot; until the containing app makes it, its parent
// (the data home) is watched for it.
void DeskWindow::watchContainer() {
    const auto container = foundation::groupContainerPath(appGroup_);
    if (!container) return;
    std::string folder = *container;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (Glib::file_test(folder, Glib::FileTest::IS_DIR)) {
        containerMonitor_ = monitor(folder, true);
        if (containerMonitor_) {
            containerMonitor_->signal_changed().connect(
                [this](const auto&, const auto&, Gio::FileMonitor::Event event) {
                    if (isContentEvent(event)) reloadAll();
                });
        }
        dataHomeMonitor_.reset();
        return;
    }
    const std::string dataHome = Glib::path_get_dirname(folder);
    g_mkdir_with_parents(dataHome.c_str(), 0700);
    if (dataHomeMonitor_) return;
    dataHomeMonitor_ = monitor(dataHome, true);
    if (!dataHomeMonitor_) return;
    dataHomeMonitor_->signal_changed().connect(
        [this](const auto&, const auto&, Gio::FileMonitor::Event event) {
            if (event != Gio::FileMonitor::Event::CREATED &&
                event != Gio::FileMonitor::Event::MOVED_IN) {
                return;
            }
            if (containerMonitor_) return;
            watchContainer();
            if (containerMonitor_) reloadAll();
        });
}

void DeskWindow::showProblem(const std::string& problem) {
    problem_->set_text(problem);
    problem_->set_visible(!problem.empty());
}

void DeskWindow::loadStore() {
    storeDirty_ = false;
    if (!store_) {
        showProblem(foundation::localizedFormat(
            "There is no home folder, so there is no placed-widget store."));
        return;
    }
    try {
        const host::PlacedWidgets placed = store_->load();
        showProblem({});
        model_.follow(placed.widgets);
    } catch (const std::exception& e) {
        // Nothing changes until the file can be read again; its monitor says when.
        showProblem(capitalizedSentence(foundation::escapeForTerminal(e.what())));
    }
}

bool DeskWindow::changeStore(const std::function<void(host::PlacedWidgets&)>& change) {
    if (!store_) return false;
    try {
        store_->update(change);
    } catch (const std::exception& e) {
        showProblem(capitalizedSentence(foundation::escapeForTerminal(e.what())));
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

void DeskWindow::openGallery() {
    dialog_ = GalleryDialog::create(
        *this, widgets_, look(),
        [this](const WidgetConfiguration& widget, WidgetFamily family) { place(widget, family); });
    dialog_->present();
}

void DeskWindow::openPicker(const std::string& id) {
    const auto* tile = model_.find(id);
    if (tile == nullptr) return;
    const WidgetConfiguration* widget = host::findWidget(widgets_, tile->placed.kind);
    if (widget == nullptr || !widget->panel()) return;
    dialog_ = PickerDialog::create(*this, *widget->panel(), tile->placed.area,
                                   [this, id](const std::string& area) { configure(id, area); });
    dialog_->present();
}

// Brimlet opens on what the tile shows: a widget configured through an intent hands the app its
// stored choice ("--area=ID"; a widget never configured has the default, the empty ID), which
// the app resolves against its own records; any other widget opens the app as it chooses.
void DeskWindow::openTile(const std::string& id) {
    const auto* tile = model_.find(id);
    if (tile == nullptr) return;
    std::vector<std::string> arguments;
    const WidgetConfiguration* widget = host::findWidget(widgets_, tile->placed.kind);
    if (widget != nullptr && widget->panel()) {
        arguments.push_back("--area=" + tile->placed.area.value_or(""));
    }
    const auto app = get_application();
    if (const auto status = openBrimlet(arguments, app ? app->get_dbus_connection() : nullptr);
        !status) {
        showProblem(status.message());
    }
}

void DeskWindow::reloadAll() {
    model_.reloadAll();
    schedulePump(kCoalesceMs);
}

void DeskWindow::schedulePump(unsigned delayMs) {
    if (pumpSource_.connected()) return;
    pumpSource_ = Glib::signal_timeout().connect(
        [this] {
            pump();
            return false;
        },
        delayMs);
}

void DeskWindow::pump() {
    pumpSource_.disconnect();
    answersPending_->store(false);
    if (storeDirty_) loadStore();
    const Date now = Date::now();
    for (auto& a : session_->takeAnswers()) {
        if (!model_.finish(a.id, a.generation, std::move(a.timeline), now) || !a.drawn) continue;
        // Drawn on the request's thread: shown as it is if nothing changed meanwhile.
        if (const auto* tile = model_.find(a.id)) {
            drawnAhead_[a.id] = DrawnAhead{tile->revision, std::move(*a.drawn)};
        }
    }
    session_->startRequests(now);
    syncTiles();
    redraw();
    armWake();
    maybeScreenshot();
}

void DeskWindow::armWake() {
    wakeSource_.disconnect();
    const Date now = Date::now();
    const auto next = model_.nextMoment(now);
    if (!next) return;
    // Whole milliseconds, rounded up, so the wake never comes before the moment; capped at a
    // day, after which the moment is simply looked at again.
    const double seconds = next->secondsSinceReferenceDate - now.secondsSinceReferenceDate;
    const double ms = std::clamp(std::ceil(seconds * 1000), 0.0, 86400000.0);
    wakeSource_ = Glib::signal_timeout().connect(
        [this] {
            pump();
            return false;
        },
        static_cast<unsigned>(ms));
}

void DeskWindow::syncTiles() {
    std::vector<TileView> next;
    next.reserve(model_.tiles().size());
    Gtk::Widget* previous = nullptr;
    for (const auto& tile : model_.tiles()) {
        const auto kept = std::find_if(views_.begin(), views_.end(), [&](const TileView& v) {
            return v.widget != nullptr && v.widget->id() == tile.placed.id &&
                   v.widget->family() == tile.placed.family &&
                   v.widget->isProblem() == !tile.problem.empty();
        });
        TileView view;
        if (kept != views_.end()) {
            view = std::exchange(*kept, TileView{});
        } else {
            view.widget =
                Gtk::make_managed<TileWidget>(tile.placed.id, tile.placed.family, tile.problem);
            const std::string id = tile.placed.id;
            view.widget->signalActivated().connect([this, id] { openTile(id); });
            view.widget->signalMenu().connect(
                [this, id](double x, double y) { popUpMenu(id, x, y); });
            grid_->append(*view.widget);
        }
        if (previous == nullptr) {
            grid_->reorder_child_at_start(*view.widget);
        } else {
            grid_->reorder_child_after(*view.widget, *previous);
        }
        previous = view.widget;
        next.push_back(view);
    }
    for (auto& old : views_) {
        if (old.widget != nullptr) grid_->remove(*old.widget);
    }
    views_ = std::move(next);
    std::erase_if(drawnAhead_, [this](const auto& ahead) { return !model_.find(ahead.first); });
    pages_->set_visible_child(views_.empty() ? "empty" : "tiles");
}

void DeskWindow::popUpMenu(const std::string& id, double x, double y) {
    const auto* tile = model_.find(id);
    const auto view = std::find_if(views_.begin(), views_.end(),
                                   [&](const TileView& v) { return v.widget->id() == id; });
    if (tile == nullptr || view == views_.end()) return;
    auto menu = Gio::Menu::create();
    const auto target = Glib::Variant<Glib::ustring>::create(id);
    const auto add = [&](const char* label, const char* action) {
        auto item = Gio::MenuItem::create(label, "");
        item->set_action_and_target(action, target);
        menu->append_item(item);
    };
    add("Open Brimlet", "win.open-widget");
    const auto* decl = host::findWidget(widgets_, tile->placed.kind);
    if (decl != nullptr && decl->panel()) add("Edit Widget…", "win.edit-widget");
    if (tile->problem.empty()) add("Reload", "win.reload-widget");
    add("Remove Widget", "win.remove-widget");
    view->widget->popUpMenu(menu, x, y);
}

// What a screen reader says for a tile: the widget's name, its size and the texts of its
// laid-out view ("Disk Space, small: 18%, 78.9 GB free").
std::string DeskWindow::accessibleName(const std::string& id,
                                       const std::vector<std::string>& texts) const {
    const auto* tile = model_.find(id);
    if (tile == nullptr) return {};
    const auto* decl = host::findWidget(widgets_, tile->placed.kind);
    std::string name = decl != nullptr ? decl->displayName() : tile->placed.kind;
    name += ", " + familyWord(tile->placed.family) + ": ";
    if (texts.empty()) return name + foundation::localizedFormat("Loading…");
    for (std::size_t i = 0; i < texts.size(); ++i) name += (i > 0 ? ", " : "") + texts[i];
    return name;
}

bool DeskWindow::drawView(TileView& view, const TileLook& current, Date now) {
    const std::string& id = view.widget->id();
    const auto shown = model_.shown(id, now);
    if (shown.entry == nullptr) return false;
    if (!shown.live && !view.drawn) {
        // A new tile's first answer usually comes within moments: draw the placeholder only if
        // it does not.
        const auto* tile = model_.find(id);
        const double waited =
            tile != nullptr && tile->inFlight
                ? now.secondsSinceReferenceDate - tile->requestStarted.secondsSinceReferenceDate
                : kPlaceholderAfter;
        if (waited < kPlaceholderAfter) {
            schedulePump(static_cast<unsigned>(std::ceil((kPlaceholderAfter - waited) * 1000)));
            return false;
        }
    }
    if (view.drawn && view.revision == shown.revision && view.index == shown.index &&
        view.live == shown.live && view.look.scale == current.scale &&
        view.look.appearance == current.appearance && view.look.rendering == current.rendering) {
        return false;
    }
    // Sample figures are never shown as if they were the user's: until the first answer, the
    // placeholder is redacted.
    DrawnTile drawn;
    if (auto ahead = takeDrawnAhead(id, shown, current)) {
        drawn = tileFromPixels(std::move(ahead->pixels));
    } else if (const auto status =
                   drawTile(*shown.entry, view.widget->family(), current, !shown.live, drawn);
               !status) {
        view.widget->set_tooltip_text(status.message());
        return false;
    }
    view.widget->show(drawn, accessibleName(id, drawn.texts));
    view.drawn = true;
    view.revision = shown.revision;
    view.index = shown.index;
    view.live = shown.live;
    view.look = current;
    return true;
}

// The picture a request's thread drew for the entry `shown` in `look`, taken out of the store;
// nullopt when there is none or it shows something else (a later revision, another entry, another
// look, or the redacted placeholder).
std::optional<DeskAnswer::Drawn> DeskWindow::takeDrawnAhead(
    const std::string& id, const host::PlacedTimelines::Shown& shown, const TileLook& look) {
    const auto ahead = drawnAhead_.find(id);
    if (ahead == drawnAhead_.end()) return std::nullopt;
    std::optional<DeskAnswer::Drawn> drawn;
    if (shown.live && ahead->second.revision == shown.revision &&
        ahead->second.drawn.index == shown.index && ahead->second.drawn.look == look) {
        drawn = std::move(ahead->second.drawn);
    }
    // Used or outdated: either way it is never shown later.
    drawnAhead_.erase(ahead);
    return drawn;
}

void DeskWindow::redraw() {
    const TileLook current = look();
    session_->setLook(current);
    const Date now = Date::now();
    bool changed = false;
    for (auto& view : views_) {
        if (!view.widget->isProblem()) changed = drawView(view, current, now) || changed;
    }
    if (changed && screenshotWritten_ && options_.keepOpen) {
        screenshotDue_ = true;
        queue_draw();
    }
}

void DeskWindow::maybeScreenshot() {
    if (options_.screenshot.empty() || screenshotDue_ || screenshotWritten_) return;
    if (!get_mapped()) return;
    const Date now = Date::now();
    bool drawn = true;
    for (const auto& view : views_) drawn = drawn && (view.widget->isProblem() || view.drawn);
    if (!model_.settled(now) || !drawn) {
        // A request may never answer: look again once it has had its time.
        schedulePump(250);
        return;
    }
    screenshotDue_ = true;
    queue_draw();
}

void DeskWindow::writeScreenshot() {
    screenshotDue_ = false;
    screenshotWritten_ = true;
    // A window whose frame is not ready yet draws nothing: it is tried again on the next frames.
    constexpr int kFramesToWait = 100;
    const int scale = std::max(1, get_scale_factor());
    const auto paintable = Gtk::WidgetPaintable::create(*this);
    // The paintable's own size (the window with its frame), so that nothing is scaled.
    const int w = paintable->get_intrinsic_width();
    const int h = paintable->get_intrinsic_height();
    const auto snapshot = Gtk::Snapshot::create();
    // Drawn at the display's scale, so a tile's texture lands on pixels one to one.
    snapshot->scale(static_cast<float>(scale), static_cast<float>(scale));
    paintable->snapshot(snapshot, w, h);
    const std::unique_ptr<GskRenderNode, decltype(&gsk_render_node_unref)> node(
        gtk_snapshot_to_node(snapshot->gobj()), &gsk_render_node_unref);
    if (!node && ++screenshotTries_ < kFramesToWait) {
        screenshotWritten_ = false;
        screenshotDue_ = true;
        queue_draw();
        return;
    }
    foundation::Status status;
    if (!node) {
        status = foundation::Status::failure("the window drew nothing");
    } else {
        render::TilePixels pixels;
        windowPixels(gtk_native_get_renderer(GTK_NATIVE(gobj())), node.get(), w * scale, h * scale,
                     pixels);
        // Encoded as the tiles' PNGs are (libpng, fast): GDK's own writer takes several times as
        // long for a window's worth of pixels.
        std::string png;
        status = render::encodePixelsPng(pixels, png);
        if (status) status = foundation::writeFileAtomically(options_.screenshot, png);
    }
    if (!status) {
        g_printerr("%s", foundation::messageLine("brimlet-desk", status.message()).c_str());
        status_ = 1;
    }
    if (!options_.keepOpen || status_ != 0) {
        if (const auto app = get_application()) app->quit();
    }
}

}  // namespace widgetkit::desk
