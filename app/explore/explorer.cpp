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

// The first eight bytes of `name`, ASCII letters folded, big-endian, padded with zero bytes:
// where two keys differ they order as compareNames orders the names (a name that ends first is
// a zero byte against a byte of the other; a file name holds no zero byte).
std::uint64_t nameKey(std::string_view name) {
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        key <<= 8;
        if (i < name.size()) key |= static_cast<unsigned char>(foldAscii(name[i]));
    }
    return key;
}

// How many leading bytes the folder rows' names all share ("folder-" of "folder-1234"): past
// them the keys tell more names apart.
std::size_t sharedPrefix(const std::vector<ExplorerRow>& rows) {
    std::optional<std::string_view> first;
    std::size_t shared = 0;
    for (const ExplorerRow& row : rows) {
        if (row.folder == nullptr) continue;
        if (!first) {
            first = row.name;
            shared = row.name.size();
            continue;
        }
        const std::size_t limit = std::min(shared, row.name.size());
        std::size_t i = 0;
        while (i < limit && row.name[i] == (*first)[i]) ++i;
        shared = i;
        if (shared == 0) break;
    }
    return shared;
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
    // The rows are sorted through small keys side by side, then moved once: a folder of 100,000
    // folders of one size (empty ones, say) is ordered by name, and reading each name through
    // its pointer at every comparison cost more than the rest of going into the folder.
    struct Key {
        std::int64_t size;
        std::uint64_t name;  // nameKey() after the names' shared prefix; valid when `keyed`
        std::uint32_t row;
        bool keyed;
    };
    const std::size_t shared = sharedPrefix(rows_);
    std::vector<Key> keys;
    keys.reserve(rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const std::string_view name = rows_[i].name;
        const bool keyed = rows_[i].folder != nullptr && name.size() >= shared;
        keys.push_back(Key{rows_[i].size, keyed ? nameKey(name.substr(shared)) : 0,
                           static_cast<std::uint32_t>(i), keyed});
    }
    const auto& rows = rows_;
    // compareNames(a, b): the keys decide where they differ, as every keyed name shares the
    // skipped prefix byte for byte.
    const auto names = [&rows](const Key& a, const Key& b) {
        if (a.keyed && b.keyed && a.name != b.name) return a.name < b.name ? -1 : 1;
        return compareNames(rows[a.row].name, rows[b.row].name);
    };
    // Equal display names (two names that are not UTF-8) fall back to the raw bytes.
    const auto rawLess = [&rows](const Key& a, const Key& b) {
        const Folder* x = rows[a.row].folder;
        const Folder* y = rows[b.row].folder;
        return x != nullptr && y != nullptr && x->name < y->name;
    };
    const auto sortBy = [&](auto less) { std::stable_sort(keys.begin(), keys.end(), less); };
    switch (sorting_) {
        case ExplorerSort::sizeDescending:
        case ExplorerSort::sizeAscending: {
            const bool descending = sorting_ == ExplorerSort::sizeDescending;
            sortBy([&](const Key& a, const Key& b) {
                if (a.size != b.size) return descending ? a.size > b.size : a.size < b.size;
                if (const int c = names(a, b); c != 0) return c < 0;
                return rawLess(a, b);
            });
            break;
        }
        case ExplorerSort::nameAscending:
        case ExplorerSort::nameDescending: {
            const bool descending = sorting_ == ExplorerSort::nameDescending;
            sortBy([&](const Key& a, const Key& b) {
                if (const int c = names(a, b); c != 0) return descending ? c > 0 : c < 0;
                if (a.size != b.size) return a.size > b.size;
                return rawLess(a, b);
            });
            break;
        }
        case ExplorerSort::changeDescending:
        case ExplorerSort::changeAscending: {
            const bool descending = sorting_ == ExplorerSort::changeDescending;
            sortBy([&](const Key& a, const Key& b) {
                const FolderGrowth* x = rows[a.row].change;
                const FolderGrowth* y = rows[b.row].change;
                if ((x == nullptr) != (y == nullptr)) return x != nullptr;
                if (x != nullptr && x->change != y->change) {
                    return descending ? x->change > y->change : x->change < y->change;
                }
                if (a.size != b.size) return a.size > b.size;
                if (const int c = names(a, b); c != 0) return c < 0;
                return rawLess(a, b);
            });
            break;
        }
    }
    std::vector<ExplorerRow> sorted;
    sorted.reserve(rows_.size());
    for (const Key& key : keys) sorted.push_back(rows_[key.row]);
    rows_ = std::move(sorted);
}

}  // namespace brimlet
