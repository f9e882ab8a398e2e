#include "app/gui/row_item.h"

namespace brimlet::gui {

RowItem::RowItem(std::size_t index) : Glib::ObjectBase(typeid(RowItem)), index_(index) {}

Glib::RefPtr<RowItem> RowItem::create(std::size_t index) {
    return Glib::make_refptr_for_instance<RowItem>(new RowItem(index));
}

}  // namespace brimlet::gui
