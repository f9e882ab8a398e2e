#include "app/gui/kind_swatch.h"

#include <numbers>

#include "app/gui/accessible_text.h"
#include "app/gui/palette.h"

namespace brimlet::gui {

KindSwatch::KindSwatch() {
    set_content_width(12);
    set_content_height(12);
    set_valign(Gtk::Align::CENTER);
    hideFromAccessibility(*this);
    set_draw_func(sigc::mem_fun(*this, &KindSwatch::draw));
}

void KindSwatch::setKind(FileKind kind) {
    kind_ = kind;
    queue_draw();
}

void KindSwatch::draw(const Cairo::RefPtr<Cairo::Context>& cr, int width, int height) {
    const Rgb c = kindColor(kind_, isDark(get_style_context()->get_color()));
    const double r = 3, w = width, h = height;
    cr->begin_new_sub_path();
    cr->arc(w - r, r, r, -std::numbers::pi / 2, 0);
    cr->arc(w - r, h - r, r, 0, std::numbers::pi / 2);
    cr->arc(r, h - r, r, std::numbers::pi / 2, std::numbers::pi);
    cr->arc(r, r, r, std::numbers::pi, 3 * std::numbers::pi / 2);
    cr->close_path();
    cr->set_source_rgb(c.red, c.green, c.blue);
    cr->fill();
}

}  // namespace brimlet::gui
