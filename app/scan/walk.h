#pragma once
// The parallel walk of one folder tree: allocated bytes per folder and per kind of file.
//
// Rules: stays on the root's file system (an entry whose device differs is left out, with
// everything below it); never follows a symbolic link (the link's own blocks count, not its
// target); counts allocated space (st_blocks × 512), so sparse files count what they occupy; a
// folder's own blocks count toward its size but toward no kind. An inode with several hard links
// counts once, toward the link whose full path sorts first (byte order), so the result never
// depends on which thread met which link first. A folder that cannot be opened or read, or whose
// entries cannot be measured (listed but not entered: read without search permission), is
// skipped: its own blocks still count, its contents do not (but for what was measured before a
// failure part-way through), and it adds to skippedFolders. An entry that vanishes while the walk
// runs (removed, or a folder replaced, between its listing and its measuring or opening) is no
// failure: it keeps what was measured of it before, and adds to vanished. An entry left out by
// the options' exclusions counts nowhere (see exclusion.h); the root itself is always walked.

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <shared_mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/scan/environment.h"
#include "app/scan/exclusion.h"
#include "app/scan/kinds.h"

namespace brimlet {

struct Folder {
    Folder* parent = nullptr;  // nullptr for the root
    std::string name;          // raw bytes of the path component; empty for the root
    std::uint64_t inode = 0;
    // Bytes allocated in this folder's subtree (its own blocks included) once the walk has
    // finished; only its own blocks and direct files while it runs.
    std::int64_t size = 0;
    // Bytes of files per kind, indexed by FileKind, with the same subtree rule as `size`.
    std::array<std::int64_t, kFileKindCount> kinds{};
    // Non-folder entries in the subtree, hard links once (where they count toward `size`), and
    // folders strictly below; both filled when the walk finishes, as `size` is.
    std::int64_t files = 0;
    std::int64_t folders = 0;
    std::vector<Folder*> children;  // folders directly inside, in no particular order
    bool skipped = false;           // could not be opened, read or entered
    bool excluded = false;          // a cache, left out once the walk ends
};

// Live counters for a progress display, updated while the walk runs (relaxed, so a reader may
// lag). They count as the finished tree does: the root and its own blocks from the start, a
// hard-linked inode once, a folder found to be a cache taken back. Once the walk has returned
// they have grown by exactly the tree's files(), root().size and folders().
struct WalkProgress {
    std::atomic<std::int64_t> files{0};
    std::atomic<std::int64_t> bytes{0};
    std::atomic<std::int64_t> folders{0};
    // The folder a worker has most recently entered; nullptr before the first and again once
    // the walk has ended (before its tree can be destroyed, also when the walk is cancelled).
    // Read it through currentPath() from a thread other than the walk's caller.
    std::atomic<const Folder*> current{nullptr};

    // The absolute path of `current` below `rootPath`, or "" when there is none. Safe from any
    // thread at any time, also while a cancelled walk frees its tree.
    std::string currentPath(const std::string& rootPath) const;
    // Sets `current` to nullptr once no reader is inside currentPath(); the walk calls it when
    // it ends.
    void clearCurrent();

private:
    mutable std::shared_mutex reading_;
};

// Thrown by walkTree (and everything that walks) when WalkOptions::cancel became true.
class ScanCancelled : public std::runtime_error {
public:
    ScanCancelled() : std::runtime_error("the scan was cancelled") {}
};

namespace testing {
class FolderTreeBuilder;
}

// The finished walk. Owns every Folder; pointers into it stay valid while it lives.
class FolderTree {
public:
    FolderTree();
    ~FolderTree();
    FolderTree(FolderTree&&) noexcept;
    FolderTree& operator=(FolderTree&&) noexcept;

    const Folder& root() const { return *root_; }
    const std::string& rootPath() const { return rootPath_; }
    std::int64_t files() const { return files_; }      // non-folder entries, hard links once
    std::int64_t folders() const { return folders_; }  // folders met, the root included
    std::int64_t skippedFolders() const { return skipped_; }
    // Entries (files or folders) that vanished between their listing and their measuring, or
    // between their measuring and their opening.
    std::int64_t vanished() const { return vanished_; }
    std::uint64_t device() const { return device_; }  // st_dev of every folder in the tree

    // The folder at `relative` ("a/b"; "" is the root), or nullptr when the walk has none there.
    const Folder* find(std::string_view relative) const;

private:
    friend class TreeWalker;
    friend class testing::FolderTreeBuilder;
    // Drops the left-out (excluded) folders, then adds every folder's size, files, folders and
    // kinds into its parent's, from the deepest up, and counts the folders. Run once, when the
    // tree is complete.
    void sumSubtrees();
    friend class TreeEdit;  // app/actions: the books of a move to the trash
    // app/explore: a tree read back from a history record.
    friend class RecordTreeBuilder;
    std::vector<std::unique_ptr<std::deque<Folder>>> storage_;
    Folder* root_ = nullptr;
    std::string rootPath_;
    std::int64_t files_ = 0;
    std::int64_t folders_ = 0;
    std::int64_t skipped_ = 0;
    std::int64_t vanished_ = 0;
    std::uint64_t device_ = 0;
};

struct WalkOptions {
    // Worker threads; 0 picks two per core, 4 to 32.
    unsigned threads = 0;
    Exclusions exclusions = {};
    // Where opening a folder may fail; never null.
    const ScanEnvironment* environment = &ScanEnvironment::standard();
    // When it becomes true, the walk takes no new folder, joins its threads and throws
    // ScanCancelled; nullptr for a walk that runs to the end. Read from every walk thread.
    const std::atomic<bool>* cancel = nullptr;
};

// Walks the folder at `rootPath` (absolute, no trailing '/' unless it is "/"). Throws
// std::system_error when the root itself cannot be opened, ScanCancelled when cancelled.
// `progress` may be nullptr.
FolderTree walkTree(const std::string& rootPath, const WalkOptions& options = {},
                    WalkProgress* progress = nullptr);

// `rootPath` joined with the names from the root down to `folder`.
std::string folderPath(const Folder& folder, const std::string& rootPath);

// The absolute paths of the folders the walk skipped, in byte order.
std::vector<std::string> skippedFolderPaths(const FolderTree& tree);

}  // namespace brimlet
