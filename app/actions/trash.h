#pragma once
// Move to Trash, display-free: the move itself (GIO's trash, so nothing is ever deleted for
// good), the books of the scan in memory, and the list of a folder's biggest files, which the
// scan does not keep.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/actions/pins.h"
#include "app/scan/kinds.h"
#include "app/scan/scan.h"

namespace brimlet {

// Moves the file or folder at `path` (absolute) to the trash, if it is still the entry a scan
// saw there: same device and inode, read without following a symbolic link. Throws ActionError,
// with one line naming `path`, when it was removed or replaced since, when the file system has
// no trash, and when the move is refused (permission, read-only mount); nothing is deleted then.
// Never deletes: GIO's trash moves the entry and writes its .trashinfo, or fails.
void moveToTrash(const std::string& path, std::uint64_t device, std::uint64_t inode);

// The trash's `files` folder in `tree` when the trash the tree's folders go to (the home trash,
// `$XDG_DATA_HOME/Trash`, for folders on the home folder's file system) lies inside the scanned
// folder and the walk saw it; nullptr otherwise.
const Folder* trashFilesFolder(const FolderTree& tree);

// The books of a move to the trash, kept in the tree of the scan that saw the entry.
class TreeEdit {
public:
    // `folder` (not the root) left its parent: its size, bytes per kind, files and folders
    // (itself included) leave every folder above it. With `trashFiles` (not inside `folder`), it
    // joins that folder, whose figures, and those of every folder above it, grow by the same
    // amounts; the tree's folder
    // count is then unchanged. Without, the folder count loses the subtree's folders. The file
    // count, which the walk keeps for the whole tree only, is left as it is.
    static void moveFolder(FolderTree& tree, const Folder& folder, const Folder* trashFiles);

    // A file of `size` allocated bytes and `kind`, directly in `folder`, left it for
    // `trashFiles` (or nullptr, as above). The file count loses one without `trashFiles`.
    static void moveFile(FolderTree& tree, const Folder& folder, std::int64_t size, FileKind kind,
                         const Folder* trashFiles);
};

struct FileEntry {
    std::string name;       // raw bytes of the name
    std::int64_t size = 0;  // allocated bytes (st_blocks × 512)
    FileKind kind = FileKind::other;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool linkedElsewhere = false;  // more than one hard link: trashing it frees nothing
};

// The `top` biggest entries that are not folders directly inside the folder at `path`, read
// now, biggest first (ties by name). Throws ActionError when the folder cannot be read.
std::vector<FileEntry> biggestFiles(const std::string& path, std::size_t top);

// A finished scan held in memory, as the app keeps it.
struct HeldScan {
    ScanPlan plan;
    FolderTree tree;
    DiskSnapshot snapshot;  // the snapshot built from `tree`, as published
};

// Moves `folder` of `scan` to the trash (moveToTrash), keeps the books (TreeEdit) and rewrites
// the shared snapshot from the tree, without a rescan; the snapshot keeps its volume figures and
// time (the space comes back only when the trash is emptied). Throws ActionError when the move
// fails (the tree and the snapshot are then untouched), ScanError when writing fails.
void trashFolder(HeldScan& scan, const Folder& folder);

// The same for `file`, one of biggestFiles(folder).
void trashFile(HeldScan& scan, const Folder& folder, const FileEntry& file);

// The second half of trashFolder, for a caller that ran moveToTrash itself (a window runs the
// move off its main thread and keeps the books on it): `folder` (not the root) is now in the
// trash; keeps the books and rewrites the shared snapshot. Throws ScanError when writing fails.
void recordTrashedFolder(HeldScan& scan, const Folder& folder);

// The second half of trashFile: `file` of `folder` is now in the trash.
void recordTrashedFile(HeldScan& scan, const Folder& folder, const FileEntry& file);

// After the pins changed (pins.h), the app's scan follows them without a walk: its areas become
// those a scan of its root would single out now (preferred_scan.h; the default areas when no pin
// lies inside it), and the snapshot is rebuilt from the tree and published. Notes as
// planPreferredScan gives them. Throws ScanError when the root is gone or writing fails.
void followPins(HeldScan& scan, const Preferences& preferences, std::vector<std::string>& notes);

}  // namespace brimlet
