#include "platform/widgetkit/desk/dialogs.h"

#include <gtk/gtk.h>

#include "platform/foundation/escape.h"
#include "platform/foundation/drawn_name.h"
#include "platform/widgetkit/desk/desk_window.h"
#include "platform/widgetkit/desk/tile_texture.h"
#include "platform/widgetkit/host/widget_requests.h"

namespace widgetkit::desk {
namespace {

constexpr int kMargin = 18;

GtkWidget* dialogWindow(DeskWindow& desk, const std::string& title) {
    GtkWidget* dialog = gtk_window_new();
    gtk_window_set_title(GTK_WINDOW(dialog), title.c_str());
    gtk_window_set_transient_for(GTK_WINDOW(dialog), desk.window());
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_window_set_destroy_with_parent(GTK_WINDOW(dialog), TRUE);
    GtkEventController* keys = gtk_event_controller_key_new();
    g_signal_connect(keys, "key-pressed",
                     G_CALLBACK(+[](GtkEventControllerKey* c, guint keyval, guint, GdkModifierType,
                                    gpointer) -> gboolean {
                         if (keyval != GDK_KEY_Escape) return FALSE;
                         gtk_window_destroy(
                             GTK_WINDOW(gtk_event_controller_get_widget(GTK_EVENT_CONTROLLER(c))));
                         return TRUE;
                     }),
                     nullptr);
    gtk_widget_add_controller(dialog, keys);
    return dialog;
}

GtkWidget* boxWithMargins(GtkOrientation orientation, int spacing) {
    GtkWidget* box = gtk_box_new(orientation, spacing);
    gtk_widget_set_margin_start(box, kMargin);
    gtk_widget_set_margin_end(box, kMargin);
    gtk_widget_set_margin_top(box, kMargin);
    gtk_widget_set_margin_bottom(box, kMargin);
    return box;
}

const char* familyTitle(WidgetFamily family) {
    switch (family) {
        case WidgetFamily::systemSmall: return "Small";
        case WidgetFamily::systemMedium: return "Medium";
        case WidgetFamily::systemLarge: return "Large";
        case WidgetFamily::systemExtraLarge: return "Extra Large";
        default: return "Accessory";
    }
}

// What a gallery button places, and where.
struct Placement {
    DeskWindow* desk;
    const WidgetConfiguration* widget;
    WidgetFamily family;
    GtkWidget* dialog;
};

// What a picker row stores.
struct Choice {
    DeskWindow* desk;
    std::string id;
    std::string area;
    GtkWidget* dialog;
};

}  // namespace

void openGallery(DeskWindow& desk) {
    GtkWidget* dialog = dialogWindow(desk, "Add Widget");
    gtk_window_set_default_size(GTK_WINDOW(dialog), 860, 640);
    GtkWidget* list = boxWithMargins(GTK_ORIENTATION_VERTICAL, 24);
    const TileLook look = desk.look();
    for (const auto& widget : desk.widgets()) {
        GtkWidget* section = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
        GtkWidget* name = gtk_label_new(widget.displayName().c_str());
        gtk_widget_add_css_class(name, "title-3");
        gtk_label_set_xalign(GTK_LABEL(name), 0);
        GtkWidget* description = gtk_label_new(widget.descriptionText().c_str());
        gtk_widget_add_css_class(description, "dim-label");
        gtk_label_set_xalign(GTK_LABEL(description), 0);
        gtk_label_set_wrap(GTK_LABEL(description), TRUE);
        gtk_box_append(GTK_BOX(section), name);
        gtk_box_append(GTK_BOX(section), description);

        GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 24);
        gtk_widget_set_margin_top(row, 12);
        for (const auto family : widget.families()) {
            GtkWidget* cell = gtk_box_new(GTK_ORIENTATION_VERTICAL, 8);
            gtk_widget_set_valign(cell, GTK_ALIGN_START);
            const TimelineProviderContext context{true, family, displaySize(family)};
            std::string error;
            GtkWidget* picture = gtk_picture_new();
            gtk_picture_set_can_shrink(GTK_PICTURE(picture), TRUE);
            gtk_picture_set_content_fit(GTK_PICTURE(picture), GTK_CONTENT_FIT_FILL);
            gtk_widget_set_size_request(picture, static_cast<int>(displaySize(family).width),
                                        static_cast<int>(displaySize(family).height));
            try {
                const AnyEntry entry = widget.operations().snapshot(context, {});
                if (GdkTexture* texture = drawTile(entry, family, look, error)) {
                    gtk_picture_set_paintable(GTK_PICTURE(picture), GDK_PAINTABLE(texture));
                    g_object_unref(texture);
                }
            } catch (const std::exception& e) {
                error = foundation::escapeForTerminal(e.what());
            }
            if (!error.empty()) gtk_widget_set_tooltip_text(picture, error.c_str());
            const std::string caption = std::string(familyTitle(family));
            gtk_picture_set_alternative_text(GTK_PICTURE(picture),
                                             (widget.displayName() + ", " + caption).c_str());
            GtkWidget* label = gtk_label_new(caption.c_str());
            gtk_widget_add_css_class(label, "caption");
            GtkWidget* add = gtk_button_new_with_label("Add Widget");
            gtk_widget_set_halign(add, GTK_ALIGN_CENTER);
            gtk_widget_add_css_class(add, "pill");
            g_signal_connect_data(
                add, "clicked", G_CALLBACK(+[](GtkButton*, Placement* p) {
                    p->desk->place(*p->widget, p->family);
                    gtk_window_destroy(GTK_WINDOW(p->dialog));
                }),
                new Placement{&desk, &widget, family, dialog},
                [](gpointer data, GClosure*) { delete static_cast<Placement*>(data); },
                GConnectFlags{});
            gtk_box_append(GTK_BOX(cell), picture);
            gtk_box_append(GTK_BOX(cell), label);
            gtk_box_append(GTK_BOX(cell), add);
            gtk_box_append(GTK_BOX(row), cell);
        }
        gtk_box_append(GTK_BOX(section), row);
        gtk_box_append(GTK_BOX(list), section);
    }
    GtkWidget* scroller = gtk_scrolled_window_new();
    gtk_scrolled_window_set_child(GTK_SCROLLED_WINDOW(scroller), list);
    gtk_window_set_child(GTK_WINDOW(dialog), scroller);
    gtk_window_present(GTK_WINDOW(dialog));
}

void openPicker(DeskWindow& desk, const std::string& id) {
    const auto* tile = desk.model().find(id);
    if (tile == nullptr) return;
    const WidgetConfiguration* widget = host::findWidget(desk.widgets(), tile->placed.kind);
    if (widget == nullptr || !widget->panel()) return;
    const IntentPanel& panel = *widget->panel();
    const std::vector<EntityOption> options = panel.options();
    // The stored identifier as the query rebuilds it now, else the default.
    std::optional<std::string> selected;
    if (tile->placed.area) {
        const auto resolved = panel.resolve({*tile->placed.area});
        if (!resolved.empty()) selected = resolved.front();
    }
    const bool storedOffered =
        selected && std::any_of(options.begin(), options.end(),
                                [&](const EntityOption& o) { return o.id == *selected; });
    if (!storedOffered) {
        const auto preselected = panel.defaultOption();
        selected = preselected ? std::optional<std::string>(preselected->id) : std::nullopt;
    }

    GtkWidget* dialog = dialogWindow(desk, panel.intentTitle);
    gtk_window_set_default_size(GTK_WINDOW(dialog), 360, -1);
    GtkWidget* box = boxWithMargins(GTK_ORIENTATION_VERTICAL, 12);
    GtkWidget* intent = gtk_label_new(panel.intentTitle.c_str());
    gtk_widget_add_css_class(intent, "title-2");
    gtk_label_set_xalign(GTK_LABEL(intent), 0);
    gtk_box_append(GTK_BOX(box), intent);
    GtkWidget* title = gtk_label_new(panel.parameterTitle.c_str());
    gtk_widget_add_css_class(title, "heading");
    gtk_label_set_xalign(GTK_LABEL(title), 0);
    gtk_box_append(GTK_BOX(box), title);

    GtkWidget* list = gtk_list_box_new();
    gtk_list_box_set_selection_mode(GTK_LIST_BOX(list), GTK_SELECTION_NONE);
    gtk_widget_add_css_class(list, "boxed-list");
    for (const auto& option : options) {
        GtkWidget* row = gtk_list_box_row_new();
        GtkWidget* line = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
        gtk_widget_set_margin_start(line, 12);
        gtk_widget_set_margin_end(line, 12);
        gtk_widget_set_margin_top(line, 10);
        gtk_widget_set_margin_bottom(line, 10);
        // An area's title is a folder's name: drawn as a name from data, on one line.
        GtkWidget* label = gtk_label_new(foundation::drawnName(option.title).c_str());
        gtk_label_set_xalign(GTK_LABEL(label), 0);
        gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_MIDDLE);
        gtk_widget_set_hexpand(label, TRUE);
        GtkWidget* check = gtk_image_new_from_icon_name("object-select-symbolic");
        gtk_widget_set_opacity(check, selected && option.id == *selected ? 1 : 0);
        gtk_box_append(GTK_BOX(line), label);
        gtk_box_append(GTK_BOX(line), check);
        gtk_list_box_row_set_child(GTK_LIST_BOX_ROW(row), line);
        g_object_set_data_full(G_OBJECT(row), "choice", new Choice{&desk, id, option.id, dialog},
                               [](gpointer data) { delete static_cast<Choice*>(data); });
        gtk_list_box_append(GTK_LIST_BOX(list), row);
    }
    g_signal_connect(
        list, "row-activated", G_CALLBACK(+[](GtkListBox*, GtkListBoxRow* row, gpointer) {
            auto* choice = static_cast<Choice*>(g_object_get_data(G_OBJECT(row), "choice"));
            GtkWidget* window = choice->dialog;
            choice->desk->configure(choice->id, choice->area);
            gtk_window_destroy(GTK_WINDOW(window));
        }),
        nullptr);
    GtkWidget* scroller = gtk_scrolled_window_new();
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER,
                                   GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_propagate_natural_height(GTK_SCROLLED_WINDOW(scroller), TRUE);
    gtk_scrolled_window_set_max_content_height(GTK_SCROLLED_WINDOW(scroller), 420);
    gtk_scrolled_window_set_child(GTK_SCROLLED_WINDOW(scroller), list);
    gtk_box_append(GTK_BOX(box), scroller);
    gtk_window_set_child(GTK_WINDOW(dialog), box);
    gtk_window_present(GTK_WINDOW(dialog));
}

}  // namespace widgetkit::desk
