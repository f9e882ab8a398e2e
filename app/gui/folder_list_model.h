#pragma once
// The folder list's model: N rows, each item made when the view asks for it. A folder of
// 100,000 folders costs the view only the rows it shows, so going into it takes one frame; a
// Gio::ListStore would build 100,000 objects first. An item is only its position: a new folder
// or a new order changes the count alone, so the view keeps the row widgets it has, and their
// owner draws the new rows into them.

#include <giomm/listmodel.h>
#include <glibmm/object.h>

#include <cstddef>

namespace brimlet::gui {

// The interface comes first: it must be added to the type before Glib::Object makes the instance.
class FolderListModel : public Gio::ListModel, public Glib::Object {
public:
    static Glib::RefPtr<FolderListModel> create();
    // Now `count` rows: the rows past the old count are added, or those past the new count
    // taken away; the rows below both stay, to be shown afresh by the caller.
    void resize(std::size_t count);

protected:
    FolderListModel();
    GType get_item_type_vfunc() override;
    guint get_n_items_vfunc() override;
    gpointer get_item_vfunc(guint position) override;

private:
    guint count_ = 0;
};

}  // namespace brimlet::gui
