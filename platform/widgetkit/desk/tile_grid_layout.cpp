#include "platform/widgetkit/desk/tile_grid_layout.h"

#include <gtkmm/widget.h>

#include <algorithm>

#include "platform/widgetkit/family.h"

namespace widgetkit::desk {
namespace {

// Two medium tiles side by side: the grid's natural width.
constexpr int kNaturalColumns = 2;

int naturalWidth() {
    const int medium = static_cast<int>(displaySize(WidgetFamily::systemMedium).width);
    return kNaturalColumns * medium + (kNaturalColumns + 1) * TileGridLayout::kGap;
}

// The children in order; the layout only reads the tree, but GTK's accessors are not const.
template <class F>
void forEachChild(const Gtk::Widget& grid, F f) {
    auto& parent = const_cast<Gtk::Widget&>(grid);
    for (Gtk::Widget* child = parent.get_first_child(); child != nullptr;
         child = child->get_next_sibling()) {
        if (child->should_layout()) f(*child);
    }
}

}  // namespace

TileGridLayout::TileGridLayout() : Glib::ObjectBase("BrimletDeskTileGridLayout") {}

Glib::RefPtr<TileGridLayout> TileGridLayout::create() {
    return Glib::make_refptr_for_instance(new TileGridLayout());
}

Gtk::SizeRequestMode TileGridLayout::get_request_mode_vfunc(const Gtk::Widget&) const {
    return Gtk::SizeRequestMode::HEIGHT_FOR_WIDTH;
}

int TileGridLayout::flow(const Gtk::Widget& grid, int width, bool allocate) {
    int x = kGap, y = kGap, rowHeight = 0;
    bool any = false;
    forEachChild(grid, [&](Gtk::Widget& child) {
        int w = 0, h = 0;
        child.get_size_request(w, h);
        if (x > kGap && x + w > width - kGap) {
            x = kGap;
            y += rowHeight + kGap;
            rowHeight = 0;
        }
        if (allocate) {
            int minimum = 0, natural = 0, minimumBaseline = 0, naturalBaseline = 0;
            // GTK wants every child measured before it is allocated.
            child.measure(Gtk::Orientation::HORIZONTAL, -1, minimum, natural, minimumBaseline,
                          naturalBaseline);
            child.size_allocate(Gtk::Allocation(x, y, w, h), -1);
        }
        x += w + kGap;
        rowHeight = std::max(rowHeight, h);
        any = true;
    });
    return any ? y + rowHeight + kGap : 2 * kGap;
}

void TileGridLayout::measure_vfunc(const Gtk::Widget& widget, Gtk::Orientation orientation,
                                   int forSize, int& minimum, int& natural, int& minimumBaseline,
                                   int& naturalBaseline) const {
    minimumBaseline = naturalBaseline = -1;
    if (orientation == Gtk::Orientation::HORIZONTAL) {
        int widest = 0;
        forEachChild(widget, [&](Gtk::Widget& child) {
            int w = 0, h = 0;
            child.get_size_request(w, h);
            widest = std::max(widest, w);
        });
        minimum = widest + 2 * kGap;
        natural = std::max(minimum, naturalWidth());
        return;
    }
    minimum = natural = flow(widget, forSize >= 0 ? forSize : naturalWidth(), false);
}

void TileGridLayout::allocate_vfunc(const Gtk::Widget& widget, int width, int, int) {
    flow(widget, width, true);
}

}  // namespace widgetkit::desk
