#pragma once
// What assistive technologies read for a widget whose text is not its label's.

#include <gtkmm/widget.h>

#include <string>

namespace brimlet::gui {

void setAccessibleLabel(Gtk::Widget& widget, const std::string& label);
// Leaves a purely visual widget (a bar, a swatch) out of what assistive technologies read; the
// texts beside it say the same.
void hideFromAccessibility(Gtk::Widget& widget);
// The value read for a range widget such as the progress bar ("3.1 GB · 140,312 files").
void setAccessibleValueText(Gtk::Widget& widget, const std::string& text);

}  // namespace brimlet::gui
