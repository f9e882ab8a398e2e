#include "app/gui/accessible_text.h"

#include <gtk/gtk.h>

namespace brimlet::gui {

// gtkmm 4.8 takes Glib::ValueBase here; the C call takes the text directly.
void setAccessibleLabel(Gtk::Widget& widget, const std::string& label) {
    gtk_accessible_update_property(GTK_ACCESSIBLE(widget.gobj()), GTK_ACCESSIBLE_PROPERTY_LABEL,
                                   label.c_str(), -1);
}

void hideFromAccessibility(Gtk::Widget& widget) {
    gtk_accessible_update_state(GTK_ACCESSIBLE(widget.gobj()), GTK_ACCESSIBLE_STATE_HIDDEN, TRUE,
                                -1);
}

void setAccessibleValueText(Gtk::Widget& widget, const std::string& text) {
    gtk_accessible_update_property(GTK_ACCESSIBLE(widget.gobj()),
                                   GTK_ACCESSIBLE_PROPERTY_VALUE_TEXT, text.c_str(), -1);
}

}  // namespace brimlet::gui
