#include "app/explore/recall.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <deque>
#include <string_view>
#include <unordered_map>

#include "app/history/history.h"
#include "extension/shared/human_bytes.h"
#include "platform/foundation/localization.h"

namespace brimlet {

class RecordTreeBuilder {
public:
    static FolderTree build(const HistoryRecord& record);
};

FolderTree RecordTreeBuilder::build(const HistoryRecord& record) {
    FolderTree tree;
    tree.rootPath_ = record.summary.root;
    tree.storage_.push_back(std::make_unique<std::deque<Folder>>());
    std::deque<Folder>& folders = *tree.storage_.back();
    tree.root_ = &folders.emplace_back();
    std::unordered_map<std::string_view, Folder*> byPath{{std::string_view(), tree.root_}};
    std::vector<Folder*> order{tree.root_};  // parents before their folders
    for (const FolderRecord& recorded : record.folders) {
        const std::string_view path = recorded.path;
        Folder* folder = tree.root_;
        if (!path.empty()) {
            const auto slash = path.rfind('/');
            const std::string_view parentPath =
                slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
            const auto parent = byPath.find(parentPath);
            if (parent == byPath.end() || byPath.contains(path)) continue;
            folder = &folders.emplace_back();
            folder->parent = parent->second;
            folder->name =
                std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
            parent->second->children.push_back(folder);
            byPath.emplace(path, folder);
            order.push_back(folder);
        }
        folder->size = recorded.size;
        folder->kinds = recorded.kinds;
    }
    // From the deepest up: a folder's bytes beyond its folders count as one entry of files, so
    // that the explorer gives them a row; folders count what lies below.
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        Folder& folder = **it;
        std::int64_t inFolders = 0;
        for (const Folder* child : folder.children) inFolders += child->size;
        if (folder.size > inFolders) folder.files += 1;
        if (folder.parent != nullptr) {
            folder.parent->files += folder.files;
            folder.parent->folders += folder.folders + 1;
        }
    }
    tree.files_ = record.summary.files;
    tree.folders_ = record.summary.folders;
    return tree;
}

std::shared_ptr<const FolderTree> treeFromRecord(const HistoryRecord& record) {
    return std::make_shared<const FolderTree>(RecordTreeBuilder::build(record));
}

namespace {

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 || errno != ENOENT;
}

HistoryOptions recallOptions() {
    HistoryOptions options;
    options.busyTimeout = kRecallBusyTimeout;
    return options;
}

}  // namespace

std::vector<RecordSummary> recordsOf(const std::string& path, const std::string& root) {
    if (!exists(path)) return {};
    History history(path, History::Access::read, recallOptions());
    return history.records(root);
}

std::vector<FolderRecord> foldersOf(const std::string& path, std::int64_t id) {
    History history(path, History::Access::read, recallOptions());
    return history.folders(id);
}

std::optional<Recalled> recallLatest(const std::string& path, const std::string& root) {
    if (!exists(path)) return std::nullopt;
    History history(path, History::Access::read, recallOptions());
    Recalled recalled;
    recalled.records = history.records(root);
    if (recalled.records.empty()) return std::nullopt;
    HistoryRecord latest{recalled.records.back(), history.folders(recalled.records.back().id)};
    recalled.tree = treeFromRecord(latest);
    return recalled;
}

std::optional<std::size_t> comparisonIndex(const std::vector<RecordSummary>& records,
                                           CompareWith choice, foundation::Date now) {
    double days = 0;
    switch (choice) {
        case CompareWith::none: return std::nullopt;
        case CompareWith::dayAgo: days = 1; break;
        case CompareWith::weekAgo: days = 7; break;
        case CompareWith::monthAgo: days = 30; break;
    }
    return baselineIndex(records, foundation::Date{now.secondsSinceReferenceDate - days * 86400.0});
}

std::string changeText(const FolderGrowth* change) {
    if (change == nullptr) return {};
    if (change->status == FolderGrowth::Status::added) return foundation::localizedFormat("New");
    if (change->change == 0) return foundation::localizedFormat("No change");
    if (change->change > 0) return "+" + humanBytes(change->change);
    return "\u2212" + humanBytes(change->change == INT64_MIN ? INT64_MAX : -change->change);
}

}  // namespace brimlet
