#include "app/gui/folder_list_model.h"

#include <utility>

#include "app/gui/row_item.h"

namespace brimlet::gui {

FolderListModel::FolderListModel()
    : Glib::ObjectBase(typeid(FolderListModel)), Gio::ListModel(), Glib::Object() {}

Glib::RefPtr<FolderListModel> FolderListModel::create() {
    return Glib::make_refptr_for_instance<FolderListModel>(new FolderListModel());
}

void FolderListModel::resize(std::size_t count) {
    const guint was = std::exchange(count_, static_cast<guint>(count));
    if (count_ > was) items_changed(was, 0, count_ - was);
    if (count_ < was) items_changed(count_, was - count_, 0);
}

GType FolderListModel::get_item_type_vfunc() { return G_TYPE_OBJECT; }

guint FolderListModel::get_n_items_vfunc() { return count_; }

gpointer FolderListModel::get_item_vfunc(guint position) {
    if (position >= count_) return nullptr;
    // The caller takes a reference of its own; the wrapper lives as long as it does.
    return RowItem::create(position)->gobj_copy();
}

}  // namespace brimlet::gui
