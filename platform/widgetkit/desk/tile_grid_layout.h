#pragma once
// The desk's tile grid: children in rows, in child order, each row as full as the width allows,
// with a gap between tiles and around them, as on a desktop's widget grid. Children are laid out
// at their size request (a tile's family size), never stretched.

#include <gtkmm/layoutmanager.h>

namespace widgetkit::desk {

class TileGridLayout : public Gtk::LayoutManager {
public:
    // Points between tiles and around them.
    static constexpr int kGap = 24;

    static Glib::RefPtr<TileGridLayout> create();

protected:
    TileGridLayout();
    Gtk::SizeRequestMode get_request_mode_vfunc(const Gtk::Widget& widget) const override;
    void measure_vfunc(const Gtk::Widget& widget, Gtk::Orientation orientation, int forSize,
                       int& minimum, int& natural, int& minimumBaseline,
                       int& naturalBaseline) const override;
    void allocate_vfunc(const Gtk::Widget& widget, int width, int height, int baseline) override;

private:
    // Places the children in rows `width` wide (allocating them when `allocate`); returns the
    // height used.
    static int flow(const Gtk::Widget& grid, int width, bool allocate);
};

}  // namespace widgetkit::desk
