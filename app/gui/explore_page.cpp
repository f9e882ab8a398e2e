#include "app/gui/explore_page.h"

#include <algorithm>
#include <cmath>

#include "app/gui/accessible_text.h"
#include "app/gui/format.h"
#include "app/history/estimate.h"
#include "app/history/history.h"
#include "app/scan/scan.h"
#include "extension/shared/fill_estimate.h"
#include "platform/foundation/localization.h"

namespace brimlet::gui {

ExplorePage::ExplorePage(BaseObjectType* object, const Glib::RefPtr<Gtk::Builder>& builder)
    : Gtk::Box(object) {
    auto* top = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 12);
    top->add_css_class("path-row");
    path_.set_hexpand(true);
    top->append(path_);
    counts_.add_css_class("dim-label");
    counts_.add_css_class("numeric");
    top->append(counts_);
    append(*top);
    append(*Gtk::make_managed<Gtk::Separator>());
    append(*historyRow());

    auto* treemapBox = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 6);
    treemapBox->add_css_class("treemap-box");
    treemapBox->append(treemap_);
    auto* legend = Gtk::make_managed<Gtk::Label>(foundation::localizedFormat(
        "Colour: each folder's biggest kind of file · double-click to go in"));
    legend->set_xalign(0);
    legend->add_css_class("caption");
    legend->add_css_class("dim-label");
    treemapBox->append(*legend);
    split_.set_start_child(list_);
    split_.set_end_child(*treemapBox);
    split_.set_resize_start_child(true);
    split_.set_shrink_start_child(false);
    split_.set_shrink_end_child(false);
    split_.set_position(560);
    split_.set_vexpand(true);
    append(split_);
    append(*Gtk::make_managed<Gtk::Separator>());

    auto* bottom = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 10);
    bottom->add_css_class("explore-bottom");
    auto* figures = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 24);
    kinds_.set_hexpand(true);
    figures->append(kinds_);
    figures->append(*chartBox());
    bottom->append(*figures);
    footer_.set_text(foundation::localizedFormat(
        "Sizes are the space files take on disk. A file with several hard links "
        "counts once; folders on other file systems are left out."));
    footer_.set_xalign(0);
    footer_.set_wrap(true);
    footer_.add_css_class("caption");
    footer_.add_css_class("dim-label");
    bottom->append(footer_);
    append(*bottom);

    path_.signalGo.connect([this](const Folder* folder) {
        if (explorer_ && explorer_->show(folderPath(*folder, explorer_->tree().rootPath()))) {
            refresh();
        }
    });
    list_.signalActivated.connect(sigc::mem_fun(*this, &ExplorePage::enterRow));
    list_.signalLeave.connect([this] { goUp(); });
    list_.signalSort.connect([this](ExplorerSort order) {
        if (!explorer_ || explorer_->sorting() == order) return;
        explorer_->sort(order);
        list_.show(*explorer_);
        treemap_.show(*explorer_);
    });
    list_.signalSelected.connect([this](std::optional<std::size_t> row) {
        treemap_.setSelected(row);
        signalSelectionChanged.emit();
    });
    treemap_.signalSelect.connect([this](std::size_t row) {
        list_.select(row);
        treemap_.setSelected(row);
    });
    treemap_.signalActivate.connect(sigc::mem_fun(*this, &ExplorePage::enterRow));
    addFolderMenus(builder);
}

ExplorePage::~ExplorePage() {
    listMenu_.unparent();
    treemapMenu_.unparent();
}

void ExplorePage::addFolderMenus(const Glib::RefPtr<Gtk::Builder>& builder) {
    const auto menu = builder->get_object<Gio::MenuModel>("folder_menu");
    listMenu_.set_menu_model(menu);
    listMenu_.set_parent(list_);
    listMenu_.set_has_arrow(false);
    // Closed, by a choice or not, the menu gives the keyboard back to the list.
    listMenu_.signal_closed().connect([this] { list_.focusList(); });
    treemapMenu_.set_menu_model(menu);
    treemapMenu_.set_parent(treemap_);
    treemapMenu_.set_has_arrow(false);
    list_.signalMenu.connect([this](const Gdk::Rectangle& where) {
        listMenu_.set_pointing_to(where);
        listMenu_.popup();
    });
    treemap_.signalMenu.connect([this](std::size_t row, double x, double y) {
        list_.select(row);
        treemap_.setSelected(row);
        treemapMenu_.set_pointing_to(
            Gdk::Rectangle(static_cast<int>(x), static_cast<int>(y), 1, 1));
        treemapMenu_.popup();
    });
    // Copy Path's Ctrl+C belongs to the list and the treemap only: everywhere else (a selected
    // message line) Ctrl+C copies what is selected there.
    for (Gtk::Widget* widget :
         {static_cast<Gtk::Widget*>(&list_), static_cast<Gtk::Widget*>(&treemap_)}) {
        auto keys = Gtk::ShortcutController::create();
        keys->add_shortcut(Gtk::Shortcut::create(Gtk::ShortcutTrigger::parse_string("<Control>c"),
                                                 Gtk::NamedAction::create("win.copy-path")));
        widget->add_controller(keys);
    }
}

const ExplorerRow* ExplorePage::selectedRow() const {
    const auto row = list_.selected();
    if (!explorer_ || !row || *row >= explorer_->rows().size()) return nullptr;
    return &explorer_->rows()[*row];
}

void ExplorePage::treeEdited() {
    if (!explorer_) return;
    const auto at = list_.selected();
    explorer_->show(explorer_->currentPath());
    // The folders' sizes changed: their changes too.
    if (explorer_->comparing()) explorer_->compareWith(before_);
    refresh();
    const auto& rows = explorer_->rows();
    if (at && !rows.empty()) {
        const std::size_t row = std::min(*at, rows.size() - 1);
        list_.select(row);
        treemap_.setSelected(row);
    }
}

Gtk::Widget* ExplorePage::historyRow() {
    auto* row = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 12);
    row->add_css_class("history-row");
    note_.set_xalign(0);
    note_.set_hexpand(true);
    note_.set_wrap(true);
    note_.add_css_class("dim-label");
    row->append(note_);
    auto* label = Gtk::make_managed<Gtk::Label>(foundation::localizedFormat("Compare with"));
    compareBox_.append(*label);
    compare_.set_model(Gtk::StringList::create({
        foundation::localizedFormat("No Comparison"),
        foundation::localizedFormat("A Day Ago"),
        foundation::localizedFormat("A Week Ago"),
        foundation::localizedFormat("A Month Ago"),
    }));
    compare_.set_selected(static_cast<guint>(CompareWith::weekAgo));
    compare_.set_tooltip_text(
        foundation::localizedFormat("Each folder's change is counted from this earlier scan"));
    setAccessibleLabel(compare_, foundation::localizedFormat("Compare with"));
    compare_.property_selected().signal_changed().connect([this] { compare(); });
    compareBox_.append(compare_);
    row->append(compareBox_);
    row->set_visible(false);
    return row;
}

Gtk::Widget* ExplorePage::chartBox() {
    auto* box = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 4);
    auto* heading =
        Gtk::make_managed<Gtk::Label>(foundation::localizedFormat("Used on the volume"));
    heading->set_xalign(0);
    heading->add_css_class("heading");
    heading->add_css_class("dim-label");
    box->append(*heading);
    box->append(chart_);
    estimate_.set_xalign(0);
    estimate_.add_css_class("caption");
    box->append(estimate_);
    box->set_valign(Gtk::Align::START);
    box->set_visible(false);
    box->add_css_class("usage-box");
    return box;
}

void ExplorePage::show(std::shared_ptr<const FolderTree> tree) {
    explorer_ = std::make_unique<Explorer>(std::move(tree));
    fromRecord_ = false;
    list_.setComparison({});
    list_.setItemsKnown(true);
    records_.clear();
    note_.get_parent()->set_visible(false);
    chart_.get_parent()->set_visible(false);
    refresh();
}

void ExplorePage::setHistory(std::string historyPath, std::vector<RecordSummary> records,
                             bool fromRecord) {
    if (!explorer_) return;
    historyPath_ = std::move(historyPath);
    records_ = std::move(records);
    fromRecord_ = fromRecord;
    list_.setItemsKnown(!fromRecord);
    note_.set_visible(fromRecord && !records_.empty());
    if (note_.get_visible()) {
        note_.set_text(foundation::formatLocalized(
            foundation::localizedFormat(
                "Showing the scan of %@ from the history, with its bigger folders. Scan to see "
                "every folder."),
            {shortDate(records_.back().time)}));
    }
    compareBox_.set_visible(records_.size() >= 2);
    note_.get_parent()->set_visible(note_.get_visible() || compareBox_.get_visible());

    chart_.show(records_);
    std::string estimate;
    if (!records_.empty()) {
        std::vector<UsedSample> samples;
        for (const RecordSummary& r : records_) samples.push_back({r.time, r.used});
        const auto now = foundation::Date::now();
        if (const auto full = estimateFull(samples, records_.back().total, now)) {
            estimate = fillEstimateText(full->fullAt.secondsSinceReferenceDate -
                                        now.secondsSinceReferenceDate);
        }
    }
    estimate_.set_text(estimate);
    estimate_.set_visible(!estimate.empty());
    chart_.get_parent()->set_visible(records_.size() >= 2);
    compare();
}

void ExplorePage::compare() {
    if (!explorer_) return;
    const auto choice = static_cast<CompareWith>(compare_.get_selected());
    const auto index = records_.size() >= 2
                           ? comparisonIndex(records_, choice, foundation::Date::now())
                           : std::nullopt;
    bool read = false;
    before_.clear();
    if (index) {
        try {
            before_ = foldersOf(historyPath_, records_[*index].id);
            read = true;
        } catch (const HistoryError& e) {
            g_log("Brimlet", G_LOG_LEVEL_WARNING, "%s", e.what());
        }
    }
    // The change column needs room beside the names.
    split_.set_position(read ? 640 : 560);
    if (read) {
        explorer_->compareWith(before_);
        list_.setComparison(foundation::formatLocalized(foundation::localizedFormat("Since %@"),
                                                        {shortDate(records_[*index].time)}));
    } else {
        if (explorer_->comparing()) explorer_->stopComparing();
        list_.setComparison({});
    }
    list_.show(*explorer_);
    treemap_.show(*explorer_);
    treemap_.setSelected(list_.selected());
}

bool ExplorePage::showPath(const std::string& absolutePath) {
    const auto since = std::chrono::steady_clock::now();
    if (!explorer_ || !explorer_->show(absolutePath)) return false;
    refresh(since);
    return true;
}

bool ExplorePage::goUp() {
    const auto since = std::chrono::steady_clock::now();
    if (!explorer_) return false;
    const Folder* from = &explorer_->current();
    if (!explorer_->leave()) return false;
    refresh(since);
    // Back where it came from: the folder just left stays selected.
    const auto& rows = explorer_->rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].folder == from) {
            list_.select(i);
            treemap_.setSelected(i);
        }
    }
    return true;
}

std::string ExplorePage::rootPath() const { return explorer_ ? explorer_->tree().rootPath() : ""; }

std::string ExplorePage::currentPath() const { return explorer_ ? explorer_->currentPath() : ""; }

std::int64_t ExplorePage::rootSize() const { return explorer_ ? explorer_->tree().root().size : 0; }

void ExplorePage::enterRow(std::size_t row) {
    const auto since = std::chrono::steady_clock::now();
    if (!explorer_ || row >= explorer_->rows().size()) return;
    const Folder* folder = explorer_->rows()[row].folder;
    if (folder == nullptr) {
        signalFilesAsked.emit();
        return;
    }
    if (!explorer_->enter(*folder)) return;
    refresh(since);
}

void ExplorePage::refresh(std::chrono::steady_clock::time_point since) {
    const auto ready = std::chrono::steady_clock::now();
    path_.show(explorer_->trail(), explorer_->tree().rootPath());
    const Folder& current = explorer_->current();
    std::size_t folders = 0;
    for (const auto& row : explorer_->rows()) folders += row.folder != nullptr ? 1 : 0;
    counts_.set_text(foundation::formatLocalized(
        foundation::localizedPlural("%@ folder here", "%@ folders here", folders),
        {groupDigits(static_cast<std::int64_t>(folders))}));
    list_.show(*explorer_);
    treemap_.show(*explorer_);
    treemap_.setSelected(list_.selected());
    kinds_.show(*explorer_);
    stopwatch_.start(get_frame_clock(), since, ready,
                     [rows = explorer_->rows().size()](const FrameStopwatch::Times& t) {
                         const auto ms = FrameStopwatch::milliseconds;
                         g_log("Brimlet", G_LOG_LEVEL_DEBUG,
                               "folder of %zu rows shown in %.1f ms (rows %.1f, widgets %.1f, "
                               "then layout %.1f, paint %.1f)",
                               rows, ms(t.drawn - t.since), ms(t.ready - t.since),
                               ms(t.changed - t.ready), ms(t.laidOut - t.changed),
                               ms(t.drawn - t.laidOut));
                     });
    signalFolderChanged.emit(current.parent == nullptr ? rootNameOf(explorer_->tree().rootPath())
                                                       : current.name);
}

}  // namespace brimlet::gui
