#pragma once
// A column's sorter that sorts nothing itself: the explorer sorts the rows. It only lets the
// column view's header show and toggle the order, and tells which column the view consulted
// first (GTK 4.8 has no getter for the view's primary sort column; 4.10 adds one).

#include <gtkmm/sorter.h>

#include <functional>

namespace brimlet::gui {

class ColumnSorter : public Gtk::Sorter {
public:
    // `consulted` runs whenever the view compares through this column.
    static Glib::RefPtr<ColumnSorter> create(std::function<void()> consulted);

protected:
    explicit ColumnSorter(std::function<void()> consulted);
    // Always "smaller": the view's own compare then says ascending or, inverted, descending.
    Gtk::Ordering compare_vfunc(gpointer, gpointer) override;
    Gtk::Sorter::Order get_order_vfunc() override;

private:
    std::function<void()> consulted_;
};

}  // namespace brimlet::gui
