#include "app/gui/size_bar.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/gui/accessible_text.h"
#include "app/gui/palette.h"

namespace brimlet::gui {
namespace {

constexpr double kThickness = 6;

void roundedBar(const Cairo::RefPtr<Cairo::Context>& cr, double x, double y, double w, double h) {
    const double r = std::min(h, w) / 2;
    cr->begin_new_sub_path();
    cr->arc(x + w - r, y + r, r, -std::numbers::pi / 2, std::numbers::pi / 2);
    cr->arc(x + r, y + r, r, std::numbers::pi / 2, 3 * std::numbers::pi / 2);
    cr->close_path();
}

}  // namespace

SizeBar::SizeBar() {
    set_content_height(static_cast<int>(kThickness));
    set_valign(Gtk::Align::CENTER);
    set_hexpand(true);
    hideFromAccessibility(*this);
    set_draw_func(sigc::mem_fun(*this, &SizeBar::draw));
}

void SizeBar::set(double fraction, std::optional<FileKind> kind) {
    fraction_ = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.0;
    kind_ = kind;
    queue_draw();
}

bool SizeBar::onSelectedRow() const {
    for (const Gtk::Widget* w = this; w != nullptr; w = w->get_parent()) {
        if ((w->get_state_flags() & Gtk::StateFlags::SELECTED) == Gtk::StateFlags::SELECTED) {
            return true;
        }
    }
    return false;
}

void SizeBar::draw(const Cairo::RefPtr<Cairo::Context>& cr, int width, int height) {
    const Gdk::RGBA fg = get_style_context()->get_color();
    const bool dark = isDark(fg);
    const double y = (height - kThickness) / 2;
    roundedBar(cr, 0, y, width, kThickness);
    cr->set_source_rgba(fg.get_red(), fg.get_green(), fg.get_blue(), 0.1);
    cr->fill();
    // A sliver of any non-zero share stays visible.
    const double w = fraction_ > 0 ? std::max(kThickness, fraction_ * width) : 0;
    if (w <= 0) return;
    roundedBar(cr, 0, y, w, kThickness);
    // On a selected row (the accent behind it) the bar takes the row's text colour. The row's
    // state is not passed down to its cells; its colour is, which redraws the bar.
    if (onSelectedRow()) {
        cr->set_source_rgba(fg.get_red(), fg.get_green(), fg.get_blue(), 0.9);
        cr->fill();
        return;
    }
    const Rgb c = kind_ ? kindColor(*kind_, dark) : accentColor(dark);
    cr->set_source_rgb(c.red, c.green, c.blue);
    cr->fill();
}

}  // namespace brimlet::gui
