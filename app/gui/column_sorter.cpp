#include "app/gui/column_sorter.h"

namespace brimlet::gui {

ColumnSorter::ColumnSorter(std::function<void()> consulted)
    : Glib::ObjectBase(typeid(ColumnSorter)), consulted_(std::move(consulted)) {}

Glib::RefPtr<ColumnSorter> ColumnSorter::create(std::function<void()> consulted) {
    return Glib::make_refptr_for_instance<ColumnSorter>(new ColumnSorter(std::move(consulted)));
}

Gtk::Ordering ColumnSorter::compare_vfunc(gpointer, gpointer) {
    consulted_();
    return Gtk::Ordering::SMALLER;
}

Gtk::Sorter::Order ColumnSorter::get_order_vfunc() { return Gtk::Sorter::Order::PARTIAL; }

}  // namespace brimlet::gui
