#pragma once
// One placed widget on the desk: its picture at the exact pixel size of `render`, or a line
// saying why the widget cannot be shown. Focusable, with the accessible role of a button and a
// name that carries the figures it shows. A click or Enter activates it; a secondary click, a
// long press, the Menu key or Shift+F10 asks for its menu.

#include <giomm/menumodel.h>
#include <gtkmm/label.h>
#include <gtkmm/popovermenu.h>
#include <gtkmm/widget.h>

#include <string>

#include "platform/widgetkit/desk/tile_texture.h"
#include "platform/widgetkit/family.h"

namespace widgetkit::desk {

class TileWidget : public Gtk::Widget {
public:
    // A tile of `family`'s size; `problem` non-empty makes it a line of text instead of a picture.
    TileWidget(std::string id, WidgetFamily family, const std::string& problem);
    ~TileWidget() override;

    const std::string& id() const { return id_; }
    WidgetFamily family() const { return family_; }
    bool isProblem() const { return problem_ != nullptr; }

    // Shows `tile` (family size × the display's scale pixels) and names the tile
    // `accessibleName`.
    void show(const DrawnTile& tile, const std::string& accessibleName);
    void setAccessibleName(const std::string& name);

    // Pops `menu` up at (x, y) in the tile.
    void popUpMenu(const Glib::RefPtr<Gio::MenuModel>& menu, double x, double y);

    // A click or Enter: open what the tile shows.
    sigc::signal<void()>& signalActivated() { return activated_; }
    // The tile's menu, at (x, y) in the tile.
    sigc::signal<void(double, double)>& signalMenu() { return menu_; }

protected:
    void snapshot_vfunc(const Glib::RefPtr<Gtk::Snapshot>& snapshot) override;
    void measure_vfunc(Gtk::Orientation orientation, int forSize, int& minimum, int& natural,
                       int& minimumBaseline, int& naturalBaseline) const override;
    void size_allocate_vfunc(int width, int height, int baseline) override;

private:
    void addControllers();
    bool onKey(guint keyval, guint keycode, Gdk::ModifierType state);

    std::string id_;
    WidgetFamily family_;
    DrawnTile tile_;
    Gtk::Label* problem_ = nullptr;            // managed child, or nullptr for a picture
    Gtk::PopoverMenu* menuPopover_ = nullptr;  // managed child, made on first use
    sigc::signal<void()> activated_;
    sigc::signal<void(double, double)> menu_;
};

}  // namespace widgetkit::desk
