#include "app/gui/folder_list_model.h"

#include "app/gui/row_item.h"

namespace brimlet::gui {

FolderListModel::FolderListModel()
    : Glib::ObjectBase(typeid(FolderListModel)), Gio::ListModel(), Glib::Object() {}

Glib::RefPtr<FolderListModel> FolderListModel::create() {
    return Glib::make_refptr_for_instance<FolderListModel>(new FolderListModel());
}

void FolderListModel::reset(std::size_t count) {
    const guint removed = count_;
    count_ = static_cast<guint>(count);
    items_changed(0, removed, count_);
}

GType FolderListModel::get_item_type_vfunc() { return G_TYPE_OBJECT; }

guint FolderListModel::get_n_items_vfunc() { return count_; }

gpointer FolderListModel::get_item_vfunc(guint position) {
    if (position >= count_) return nullptr;
    // The caller takes a reference of its own; the wrapper lives as long as it does.
    return RowItem::create(position)->gobj_copy();
}

}  // namespace brimlet::gui
