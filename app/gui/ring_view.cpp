#include "app/gui/ring_view.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/gui/accessible_text.h"
#include "app/gui/palette.h"

namespace brimlet::gui {

RingView::RingView(int diameter) {
    set_content_width(diameter);
    set_content_height(diameter);
    set_valign(Gtk::Align::CENTER);
    hideFromAccessibility(*this);
    set_draw_func(sigc::mem_fun(*this, &RingView::draw));
}

void RingView::setFraction(double usedFraction) {
    fraction_ = std::isfinite(usedFraction) ? std::clamp(usedFraction, 0.0, 1.0) : 0.0;
    queue_draw();
}

void RingView::draw(const Cairo::RefPtr<Cairo::Context>& cr, int width, int height) {
    const Gdk::RGBA fg = get_style_context()->get_color();
    const double size = std::min(width, height);
    const double line = std::max(3.0, size * 0.13);
    const double r = (size - line) / 2;
    const double cx = width / 2.0, cy = height / 2.0;
    cr->set_line_width(line);
    cr->arc(cx, cy, r, 0, 2 * std::numbers::pi);
    cr->set_source_rgba(fg.get_red(), fg.get_green(), fg.get_blue(), 0.12);
    cr->stroke();
    if (fraction_ <= 0) return;
    const Rgb c = fullnessColor(fraction_);
    cr->set_line_cap(Cairo::Context::LineCap::ROUND);
    const double start = -std::numbers::pi / 2;
    cr->arc(cx, cy, r, start, start + fraction_ * 2 * std::numbers::pi);
    cr->set_source_rgb(c.red, c.green, c.blue);
    cr->stroke();
}

}  // namespace brimlet::gui
