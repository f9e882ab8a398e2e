#include "app/explore/explorer.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "app/history/record.h"
#include "app/scan/scan.h"
#include "platform/foundation/json_writer.h"

namespace brimlet {
namespace {

char foldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Names without case for ASCII letters, then byte by byte: <0, 0 or >0. Sibling names often
// share a long prefix, so equal bytes are skipped before any folding.
int compareNames(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    // Eight bytes at a time past the shared prefix ("folder-1234" and "folder-1235").
    std::size_t start = 0;
    for (std::uint64_t x = 0, y = 0; start + 8 <= common; start += 8) {
        std::memcpy(&x, a.data() + start, 8);
        std::memcpy(&y, b.data() + start, 8);
        if (x != y) break;
    }
    int bytewise = 0;
    for (std::size_t i = start; i < common; ++i) {
        if (a[i] == b[i]) continue;
        const auto x = static_cast<unsigned char>(foldAscii(a[i]));
        const auto y = static_cast<unsigned char>(foldAscii(b[i]));
        if (x != y) return x < y ? -1 : 1;
        if (bytewise == 0)
            bytewise = static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]) ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return bytewise;
}

bool startsWithFolded(std::string_view name, std::string_view prefix) {
    if (prefix.size() > name.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (foldAscii(name[i]) != foldAscii(prefix[i])) return false;
    }
    return true;
}

double shareOf(std::int64_t size, std::int64_t whole) {
    if (whole <= 0) return 0;
    return std::clamp(static_cast<double>(size) / static_cast<double>(whole), 0.0, 1.0);
}

}  // namespace

FileKind biggestKind(const std::array<std::int64_t, kFileKindCount>& kinds) {
    FileKind biggest = FileKind::other;
    std::int64_t most = 0;
    for (const FileKind kind : kAllFileKinds) {
        if (kinds[static_cast<std::size_t>(kind)] > most) {
            most = kinds[static_cast<std::size_t>(kind)];
            biggest = kind;
        }
    }
    return biggest;
}

Explorer::Explorer(std::shared_ptr<const FolderTree> tree)
    : tree_(std::move(tree)), current_(&tree_->root()) {
    rebuild();
}

std::string Explorer::currentPath() const { return folderPath(*current_, tree_->rootPath()); }

std::vector<const Folder*> Explorer::trail() const {
    std::vector<const Folder*> trail;
    for (const Folder* f = current_; f != nullptr; f = f->parent) trail.push_back(f);
    std::reverse(trail.begin(), trail.end());
    return trail;
}

bool Explorer::enter(const Folder& child) {
    if (child.parent != current_) return false;
    current_ = &child;
    rebuild();
    return true;
}

bool Explorer::leave() {
    if (current_->parent == nullptr) return false;
    current_ = current_->parent;
    rebuild();
    return true;
}

bool Explorer::show(std::string_view absolutePath) {
    while (absolutePath.size() > 1 && absolutePath.back() == '/') absolutePath.remove_suffix(1);
    const std::string_view root = tree_->rootPath();
    std::string_view relative;
    if (absolutePath != root) {
        const bool below = absolutePath.starts_with(root) &&
                           (root.ends_with('/') || absolutePath[root.size()] == '/');
        if (!below) return false;
        relative = absolutePath.substr(root.size());
    }
    const Folder* folder = tree_->find(relative);
    if (folder == nullptr) return false;
    current_ = folder;
    rebuild();
    return true;
}

void Explorer::sort(ExplorerSort order) {
    sorting_ = order;
    this->order();
}

void Explorer::compareWith(const std::vector<FolderRecord>& before) {
    const HistoryRecord now = buildRecord(*tree_, 0, 0, foundation::Date{});
    changeByPath_.clear();
    changes_ = changesSince(before, now.folders);
    for (const FolderGrowth& change : changes_) changeByPath_.emplace(change.path, &change);
    comparing_ = true;
    rebuild();
}

void Explorer::stopComparing() {
    comparing_ = false;
    changeByPath_.clear();
    changes_.clear();
    if (sorting_ == ExplorerSort::changeDescending || sorting_ == ExplorerSort::changeAscending) {
        sorting_ = ExplorerSort::sizeDescending;
    }
    rebuild();
}

void Explorer::attachChanges() {
    if (!comparing_) return;
    std::string path;
    for (const Folder* f : trail()) {
        if (f->parent == nullptr) continue;
        path += f->name;
        path += '/';
    }
    const std::size_t base = path.size();
    for (ExplorerRow& row : rows_) {
        if (row.folder == nullptr) continue;
        path.resize(base);
        path += row.folder->name;
        const auto found = changeByPath_.find(path);
        row.change = found == changeByPath_.end() ? nullptr : found->second;
    }
}

std::optional<std::size_t> Explorer::findPrefix(std::string_view prefix) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (startsWithFolded(rows_[i].name, prefix)) return i;
    }
    return std::nullopt;
}

void Explorer::rebuild() {
    const Folder& folder = *current_;
    rows_.clear();
    repairedNames_.clear();
    rows_.reserve(folder.children.size() + 1);
    std::int64_t childBytes = 0, childFiles = 0;
    auto direct = folder.kinds;
    for (const Folder* child : folder.children) {
        const std::string_view name = foundation::isValidUtf8(child->name)
                                          ? std::string_view(child->name)
                                          : repairedNames_.emplace_back(displayName(child->name));
        rows_.push_back(ExplorerRow{child, name, child->size, shareOf(child->size, folder.size),
                                    child->files + child->folders, biggestKind(child->kinds)});
        childBytes += child->size;
        childFiles += child->files;
        for (std::size_t k = 0; k < kFileKindCount; ++k) direct[k] -= child->kinds[k];
    }
    if (const std::int64_t files = folder.files - childFiles; files > 0) {
        const std::int64_t size = folder.size - childBytes;
        rows_.push_back(ExplorerRow{nullptr, kFilesRowName, size, shareOf(size, folder.size), files,
                                    biggestKind(direct)});
    }
    attachChanges();
    order();
}

void Explorer::order() {
    // Equal display names (two names that are not UTF-8) fall back to the raw bytes.
    const auto rawLess = [](const ExplorerRow& a, const ExplorerRow& b) {
        return a.folder != nullptr && b.folder != nullptr && a.folder->name < b.folder->name;
    };
    const auto sortBy = [&](auto less) { std::stable_sort(rows_.begin(), rows_.end(), less); };
    switch (sorting_) {
        case ExplorerSort::sizeDescending:
        case ExplorerSort::sizeAscending: {
            const bool descending = sorting_ == ExplorerSort::sizeDescending;
            sortBy([&](const ExplorerRow& a, const ExplorerRow& b) {
                if (a.size != b.size) return descending ? a.size > b.size : a.size < b.size;
                if (const int c = compareNames(a.name, b.name); c != 0) return c < 0;
                return rawLess(a, b);
            });
            break;
        }
        case ExplorerSort::nameAscending:
        case ExplorerSort::nameDescending: {
            const bool descending = sorting_ == ExplorerSort::nameDescending;
            sortBy([&](const ExplorerRow& a, const ExplorerRow& b) {
                if (const int c = compareNames(a.name, b.name); c != 0) {
                    return descending ? c > 0 : c < 0;
                }
                if (a.size != b.size) return a.size > b.size;
                return rawLess(a, b);
            });
            break;
        }
        case ExplorerSort::changeDescending:
        case ExplorerSort::changeAscending: {
            const bool descending = sorting_ == ExplorerSort::changeDescending;
            sortBy([&](const ExplorerRow& a, const ExplorerRow& b) {
                if ((a.change == nullptr) != (b.change == nullptr)) return a.change != nullptr;
                if (a.change != nullptr && a.change->change != b.change->change) {
                    return descending ? a.change->change > b.change->change
                                      : a.change->change < b.change->change;
                }
                if (a.size != b.size) return a.size > b.size;
                if (const int c = compareNames(a.name, b.name); c != 0) return c < 0;
                return rawLess(a, b);
            });
            break;
        }
    }
}

}  // namespace brimlet
