#pragma once
// A proportional bar: a rounded track with a fill of `fraction` of its width, in the accent
// colour or a kind's colour. Purely visual; the row it sits in carries the accessible text.

#include <gtkmm.h>

#include <optional>

#include "app/scan/kinds.h"

namespace brimlet::gui {

class SizeBar : public Gtk::DrawingArea {
public:
    SizeBar();
    // `fraction` is clamped to 0...1; `kind` colours the fill (nullopt: the accent).
    void set(double fraction, std::optional<FileKind> kind = std::nullopt);

private:
    bool onSelectedRow() const;
    void draw(const Cairo::RefPtr<Cairo::Context>& cr, int width, int height);

    double fraction_ = 0;
    std::optional<FileKind> kind_;
};

}  // namespace brimlet::gui
