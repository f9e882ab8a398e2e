#pragma once
// Exploring a scanned tree: the path bar, the folder list beside the treemap (both over one
// Explorer, selection shared), the current folder's kinds, and how sizes are counted.

#include <gtkmm.h>

#include <chrono>
#include <memory>
#include <string>

#include "app/explore/explorer.h"
#include "app/explore/recall.h"
#include "app/gui/folder_list.h"
#include "app/gui/frame_stopwatch.h"
#include "app/gui/kind_bars.h"
#include "app/gui/path_bar.h"
#include "app/gui/treemap_view.h"
#include "app/gui/usage_chart.h"

namespace brimlet::gui {

class ExplorePage : public Gtk::Box {
public:
    // The folder menu is the builder's "folder_menu".
    ExplorePage(BaseObjectType* object, const Glib::RefPtr<Gtk::Builder>& builder);
    ~ExplorePage() override;

    // Explores `tree` from its root.
    void show(std::shared_ptr<const FolderTree> tree);
    bool hasTree() const { return explorer_ != nullptr; }
    // The tree shown is a record read back from the history (setHistory's `fromRecord`), not a
    // scan: it lacks the smaller folders.
    bool showsRecord() const { return fromRecord_; }
    // Shows the folder at `absolutePath` when the tree holds it.
    bool showPath(const std::string& absolutePath);
    bool goUp();
    std::string rootPath() const;
    std::string currentPath() const;
    std::int64_t rootSize() const;
    void focusList() { list_.focusList(); }
    // The records of the shown tree's root in the history at `historyPath`, ordered by time: the
    // comparison menu and the chart read them. `fromRecord`: the tree shown is the last of them
    // read back, which holds the bigger folders only (a note says so). Call after show().
    void setHistory(std::string historyPath, std::vector<RecordSummary> records, bool fromRecord);
    // The selected row of the current folder; nullptr when none is selected or no tree shown.
    const ExplorerRow* selectedRow() const;
    // The folder shown; a tree must be shown.
    const Folder& currentFolder() const { return explorer_->current(); }
    // The tree's books changed (a move to the trash): shows the same folder afresh, the
    // selection kept at the same place.
    void treeEdited();

    // The folder shown changed (its name, for the window's title).
    sigc::signal<void(const std::string&)> signalFolderChanged;
    // Another row is selected, or none.
    sigc::signal<void()> signalSelectionChanged;
    // The files row was activated: the current folder's files are asked for.
    sigc::signal<void()> signalFilesAsked;

private:
    // Shows the explorer's current folder; `since` is when it was asked for, logged (debug,
    // domain "Brimlet") with the time to the end of the first frame that shows it.
    void refresh(std::chrono::steady_clock::time_point since = std::chrono::steady_clock::now());
    void enterRow(std::size_t row);
    Gtk::Widget* historyRow();
    Gtk::Widget* chartBox();
    // Compares the tree with the record the menu's choice picks, or with none.
    void compare();
    void addFolderMenus(const Glib::RefPtr<Gtk::Builder>& builder);

    std::unique_ptr<Explorer> explorer_;
    PathBar path_;
    Gtk::Label counts_;
    Gtk::Paned split_{Gtk::Orientation::HORIZONTAL};
    FolderList list_;
    TreemapView treemap_;
    KindBars kinds_;
    Gtk::Label footer_;
    Gtk::Label note_;
    Gtk::Box compareBox_{Gtk::Orientation::HORIZONTAL, 8};
    Gtk::DropDown compare_;
    UsageChart chart_;
    Gtk::Label estimate_;
    std::string historyPath_;
    std::vector<RecordSummary> records_;
    bool fromRecord_ = false;
    std::vector<FolderRecord> before_;  // the folders of the record compared with
    FrameStopwatch stopwatch_;
    Gtk::PopoverMenu listMenu_, treemapMenu_;  // the folder menu, at the list or the treemap
};

}  // namespace brimlet::gui
