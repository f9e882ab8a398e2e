#include "app/gui/folder_list_model.h"

#include <utility>

#include "app/gui/row_item.h"

namespace brimlet::gui {

FolderListModel::FolderListModel()
    : Glib::ObjectBase(typeid(FolderListModel)), Gio::ListModel(), Glib::Object() {}

Glib::RefPtr<FolderListModel> FolderListModel::create() {
    return Glib::make_refptr_for_instance<FolderListModel>(new FolderListModel());
}

void FolderListModel::reset(std::size_t count) {
    // In two steps: GtkListItemManager, asked to replace rows in one change, looks up every new
    // item in case a row widget can be kept, which makes all N items.
    const guint removed = std::exchange(count_, 0);
    if (removed > 0) items_changed(0, removed, 0);
    count_ = static_cast<guint>(count);
    if (count_ > 0) items_changed(0, 0, count_);
}

GType FolderListModel::get_item_type_vfunc() { return G_TYPE_OBJECT; }

guint FolderListModel::get_n_items_vfunc() { return count_; }

gpointer FolderListModel::get_item_vfunc(guint position) {
    if (position >= count_) return nullptr;
    // The caller takes a reference of its own; the wrapper lives as long as it does.
    return RowItem::create(position)->gobj_copy();
}

}  // namespace brimlet::gui
