#pragma once
// The explorer: one finished scan seen one folder at a time, as the window's folder list, path
// bar, treemap and kinds of file show it. Display-free; the window observes it and calls in.
//
// Counting: a folder row's size is its whole subtree's allocated bytes (its own blocks included,
// hard links once, other file systems left out, as the walk counts them); its items are the
// files and folders in its subtree. The files row stands for the files directly inside the
// current folder: its size is the current folder's size minus its subfolders' (so the folder's
// own blocks count there too), its items the number of those files. It is shown only when the
// folder holds files directly.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/history/growth.h"
#include "app/scan/kinds.h"
#include "app/scan/walk.h"

namespace brimlet {

enum class ExplorerSort {
    sizeDescending,
    sizeAscending,
    nameAscending,
    nameDescending,
    changeDescending,  // most grown first; rows without a change last, by size
    changeAscending,   // most shrunk first; rows without a change last, by size
};

// The files row's name.
inline constexpr std::string_view kFilesRowName = "Files in this folder";

struct ExplorerRow {
    const Folder* folder;  // nullptr: the row for the files directly inside the current folder
    // The folder's name as UTF-8 (displayName; the folder's own bytes where they are UTF-8); the
    // files row: kFilesRowName. Valid while the explorer stays in the folder: a view, so that
    // sorting 100,000 rows moves no strings.
    std::string_view name;
    std::int64_t size;     // bytes (allocated), subtree
    double share;          // size / current folder's size, 0...1 (0 when the folder is empty)
    std::int64_t items;    // files + folders in its subtree; the files row: its file count
    FileKind biggestKind;  // the kind with most bytes (FileKind::other when none)
    // Against the earlier record the explorer compares with (compareWith); nullptr when it
    // compares with none, for the files row, and for a folder a record leaves out.
    const FolderGrowth* change = nullptr;
};

class Explorer {
public:
    // Opens on the tree's root, sorted by size, biggest first. `tree` must not be null.
    explicit Explorer(std::shared_ptr<const FolderTree> tree);

    const FolderTree& tree() const { return *tree_; }
    const Folder& current() const { return *current_; }
    // The absolute path of current(), as raw bytes (names are not made UTF-8).
    std::string currentPath() const;
    // root ... current(), for the path bar.
    std::vector<const Folder*> trail() const;

    // Goes into `child`, a folder directly inside current(); false (and nothing changes)
    // otherwise.
    bool enter(const Folder& child);
    // Goes to the parent; false at the root.
    bool leave();
    // Goes to the folder of the tree at `absolutePath` (a trailing '/' is ignored); false (and
    // nothing changes) when the tree holds none there.
    bool show(std::string_view absolutePath);

    void sort(ExplorerSort order);
    ExplorerSort sorting() const { return sorting_; }

    // The current folder's rows in the chosen order, the files row placed by its size or name
    // like any other; empty folders (size 0) included. By size: ties by name. By name: names
    // compared without case for ASCII letters, then byte by byte, then by size (biggest first).
    const std::vector<ExplorerRow>& rows() const { return rows_; }

    // Type-ahead: the first row, in display order, whose name starts with `prefix`, compared
    // without case for ASCII letters; nullopt when none.
    std::optional<std::size_t> findPrefix(std::string_view prefix) const;

    // Compares every folder with `before`, the folders of an earlier record of the same root: a
    // row's change is then its folder's against it (changesSince), the tree's folders taken as a
    // record of the tree would hold them (buildRecord), so a folder too small to be recorded has
    // none. Replaces an earlier comparison.
    void compareWith(const std::vector<FolderRecord>& before);
    // Back to rows without a change; a sort by change becomes a sort by size.
    void stopComparing();
    bool comparing() const { return comparing_; }

    // The current folder's bytes per kind of file, indexed by FileKind.
    const std::array<std::int64_t, kFileKindCount>& kinds() const { return current_->kinds; }

private:
    void rebuild();
    void order();
    void attachChanges();

    std::shared_ptr<const FolderTree> tree_;
    const Folder* current_;
    ExplorerSort sorting_ = ExplorerSort::sizeDescending;
    std::vector<ExplorerRow> rows_;
    std::deque<std::string> repairedNames_;  // the rows' names that are not the folders' bytes
    bool comparing_ = false;
    std::vector<FolderGrowth> changes_;
    std::unordered_map<std::string_view, const FolderGrowth*> changeByPath_;  // into changes_
};

// The kind with most bytes in `kinds` (the first in FileKind order on a tie); FileKind::other
// when every count is 0.
FileKind biggestKind(const std::array<std::int64_t, kFileKindCount>& kinds);

}  // namespace brimlet
