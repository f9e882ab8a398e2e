#pragma once
// The current folder's rows as a table: name (with its kind's swatch), size with a proportional
// bar, share of the folder, items. Sorted by size or name from the column headers (the explorer
// does the sorting); type-ahead finds a row by the start of its name; Enter or a double click
// goes in, Backspace goes out.

#include <gtkmm.h>

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/explore/explorer.h"
#include "app/gui/column_sorter.h"
#include "app/gui/folder_list_model.h"

namespace brimlet::gui {

class FolderList : public Gtk::ScrolledWindow {
public:
    FolderList();
    ~FolderList() override;

    // Shows `explorer`'s rows afresh (a new folder or a new order) and selects the first. The
    // explorer outlives the list's use of it.
    void show(const Explorer& explorer);
    // Selects and scrolls to row `index`.
    void select(std::size_t index);
    std::optional<std::size_t> selected() const;
    // Gives the keyboard to the selected row, or to the list when none is selected or shown.
    void focusList();
    // Shows the column of each row's change under `title` ("Since Nov 29"); empty hides it.
    void setComparison(const std::string& title);
    // Whether the Items column has figures to show: a tree read back from the history has none.
    void setItemsKnown(bool known);

    sigc::signal<void(std::size_t)> signalActivated;  // go into the row's folder
    sigc::signal<void()> signalLeave;                 // go out
    sigc::signal<void(ExplorerSort)> signalSort;      // the headers asked for another order
    sigc::signal<void(std::optional<std::size_t>)> signalSelected;
    // The selected row's menu is asked for: a right click (which selects the row under it
    // first), the Menu key or Shift+F10; at `where`, in the list's coordinates.
    sigc::signal<void(const Gdk::Rectangle& where)> signalMenu;

private:
    enum class SortColumn { none, name, size, change };

    Glib::RefPtr<Gtk::ColumnViewColumn> addColumn(
        const Glib::ustring& title, int width, const sigc::slot<void(Gtk::ListItem&)>& setup,
        const sigc::slot<void(Gtk::ListItem&)>& bind,
        const sigc::slot<void(Gtk::ListItem&)>& unbind = {});
    // Gives the row at `position` keyboard focus; false when its widgets are not made yet.
    bool focusRow(guint position);
    void addColumns();
    void addChangeColumn();
    const ExplorerRow* rowOf(Gtk::ListItem& item) const;
    void onSorterChanged();
    bool onKey(guint keyval, guint keycode, Gdk::ModifierType state);
    bool typeAhead(gunichar c);
    void onSecondaryClick(double x, double y);
    // The selected row's box in the list's coordinates, when its widgets are made.
    std::optional<Gdk::Rectangle> selectedRowBox();

    // Declared before the view, so they outlive it: taken apart, it unbinds its cells.
    // The rows that have widgets now: each name cell's widget with the position it shows.
    std::unordered_map<Gtk::Widget*, guint> boundNames_;
    // Each column's bind, and every cell bound now with its column's.
    std::vector<sigc::slot<void(Gtk::ListItem&)>> binders_;
    std::unordered_map<Gtk::ListItem*, std::size_t> bound_;

    Gtk::ColumnView view_;
    Glib::RefPtr<FolderListModel> model_ = FolderListModel::create();
    Glib::RefPtr<Gtk::SingleSelection> selection_;
    Glib::RefPtr<Gtk::ColumnViewColumn> nameColumn_, sizeColumn_;
    Glib::RefPtr<ColumnSorter> nameSorter_, sizeSorter_;
    Glib::RefPtr<Gtk::ColumnViewColumn> changeColumn_, itemsColumn_;
    Glib::RefPtr<ColumnSorter> changeSorter_;
    bool itemsKnown_ = true;
    bool changeShown_ = false;
    SortColumn consulted_ = SortColumn::none;
    sigc::connection sorterChanged_;
    const Explorer* explorer_ = nullptr;
    bool showing_ = false;  // while show() resets the model: no sort or selection signals

    std::string prefix_;
    std::chrono::steady_clock::time_point lastKey_;
};

}  // namespace brimlet::gui
