#include "app/actions/trash.h"

#include <dirent.h>
#include <fcntl.h>
#include <gio/gio.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/actions/published.h"
#include "app/settings/preferred_scan.h"
#include "extension/shared/shared_snapshot.h"
#include "platform/foundation/file.h"

namespace brimlet {
namespace {

std::int64_t allocatedBytes(const struct stat& st) {
    return st.st_blocks > 0 ? static_cast<std::int64_t>(st.st_blocks) * 512 : 0;
}

Folder& editable(const Folder& folder) {
    // Every Folder of a FolderTree is created non-const in its storage; the tree hands out const
    // views only so that nothing but these books change it.
    return const_cast<Folder&>(folder);
}

// What a moved entry takes with it: its bytes, per kind, and the files and folders it counts as.
struct Moved {
    std::int64_t size = 0;
    std::array<std::int64_t, kFileKindCount> kinds{};
    std::int64_t files = 0;
    std::int64_t folders = 0;
};

void addUpwards(Folder* from, const Moved& moved, int sign) {
    for (Folder* at = from; at != nullptr; at = at->parent) {
        at->size += sign * moved.size;
        for (std::size_t k = 0; k < kFileKindCount; ++k) at->kinds[k] += sign * moved.kinds[k];
        at->files += sign * moved.files;
        at->folders += sign * moved.folders;
    }
}

bool isInside(const Folder* candidate, const Folder& folder) {
    for (const Folder* at = candidate; at != nullptr; at = at->parent) {
        if (at == &folder) return true;
    }
    return false;
}

std::int64_t folderCount(const Folder& folder) {
    std::int64_t count = 1;
    for (const Folder* child : folder.children) count += folderCount(*child);
    return count;
}

// Whether the shared container now holds a snapshot that is newer news than `scan`: one of
// another folder, or a later one (the timer's scan, `brimlet scan` in a terminal). Writing the
// held tree over it would put an older or another folder's picture back under the widgets.
bool publishedSince(const HeldScan& scan) {
    const auto published = readPublishedSnapshot();
    if (published) {
        return published->root != scan.plan.root ||
               scan.snapshot.generatedAt < published->snapshot.generatedAt;
    }
    // Unrecorded (written by something that keeps no record): newer only by its time.
    const auto shared = SharedSnapshot::read();
    return shared && scan.snapshot.generatedAt < shared->generatedAt;
}

// Builds the snapshot again from the books and publishes it, keeping the volume and the time,
// unless another snapshot was published since (publishedSince): the books in memory change
// all the same, and the widgets follow at the next scan.
void republish(HeldScan& scan) {
    const DiskSnapshot& s = scan.snapshot;
    scan.snapshot = buildSnapshot(
        scan.tree, scan.plan, VolumeTotals{s.volumeName, s.used, s.free, s.total, s.usedFraction},
        s.generatedAt);
    if (publishedSince(scan)) return;
    publishSnapshot(scan.snapshot, scan.plan.root, scan.plan.top);
}

}  // namespace

void moveToTrash(const std::string& path, std::uint64_t device, std::uint64_t inode) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        throw ActionError(path + ": " +
                          (errno == ENOENT ? std::string("removed since the scan")
                                           : std::string(std::strerror(errno))) +
                          "; nothing moved");
    }
    if (st.st_dev != device || st.st_ino != inode) {
        throw ActionError(path + ": replaced since the scan; nothing moved");
    }
    const std::unique_ptr<GFile, decltype(&g_object_unref)> file(g_file_new_for_path(path.c_str()),
                                                                 &g_object_unref);
    GError* error = nullptr;
    if (g_file_trash(file.get(), nullptr, &error)) return;
    const bool noTrash = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_NOT_SUPPORTED) != FALSE;
    std::string message =
        path + ": " +
        (noTrash ? std::string("this file system has no trash") : std::string(error->message)) +
        "; nothing moved";
    g_error_free(error);
    throw ActionError(message);
}

const Folder* trashFilesFolder(const FolderTree& tree) {
    const char* home = g_get_home_dir();
    struct stat homeStat {};
    if (home == nullptr || ::stat(home, &homeStat) != 0 || homeStat.st_dev != tree.device())
        return nullptr;
    const std::string files = std::string(g_get_user_data_dir()) + "/Trash/files";
    const auto resolved = foundation::canonicalPath(files);
    if (!resolved) return nullptr;
    const std::string& path = *resolved;
    const std::string& root = tree.rootPath();
    const std::string prefix = root == "/" ? "/" : root + "/";
    if (!path.starts_with(prefix)) return nullptr;
    return tree.find(path.substr(prefix.size()));
}

void TreeEdit::moveFolder(FolderTree& tree, const Folder& folder, const Folder* trashFiles) {
    Folder& moved = editable(folder);
    if (moved.parent == nullptr) return;
    if (trashFiles != nullptr && isInside(trashFiles, folder)) trashFiles = nullptr;
    const Moved amounts{moved.size, moved.kinds, moved.files, moved.folders + 1};
    std::erase(moved.parent->children, &moved);
    addUpwards(moved.parent, amounts, -1);
    if (trashFiles == nullptr) {
        tree.folders_ -= folderCount(moved);
        moved.parent = nullptr;
        return;
    }
    Folder& trash = editable(*trashFiles);
    trash.children.push_back(&moved);
    moved.parent = &trash;
    addUpwards(&trash, amounts, +1);
}

void TreeEdit::moveFile(FolderTree& tree, const Folder& folder, std::int64_t size, FileKind kind,
                        const Folder* trashFiles) {
    Moved amounts{size, {}, 1, 0};
    amounts.kinds[static_cast<std::size_t>(kind)] = size;
    addUpwards(&editable(folder), amounts, -1);
    if (trashFiles == nullptr) {
        --tree.files_;
        return;
    }
    addUpwards(&editable(*trashFiles), amounts, +1);
}

std::vector<FileEntry> biggestFiles(const std::string& path, std::size_t top) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) throw ActionError(path + ": " + std::strerror(errno));
    struct CloseDir {
        void operator()(DIR* d) const { ::closedir(d); }
    };
    const std::unique_ptr<DIR, CloseDir> dir(::fdopendir(fd));
    if (!dir) {
        const int error = errno;
        ::close(fd);
        throw ActionError(path + ": " + std::strerror(error));
    }
    std::vector<FileEntry> files;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat st {};
        if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode))
            continue;
        const bool executable = S_ISREG(st.st_mode) && (st.st_mode & 0111) != 0;
        files.push_back(FileEntry{std::string(name), allocatedBytes(st),
                                  classifyFile(name, executable), st.st_dev, st.st_ino,
                                  st.st_nlink > 1});
    }
    const auto count = std::min(top, files.size());
    std::partial_sort(files.begin(), files.begin() + static_cast<std::ptrdiff_t>(count),
                      files.end(), [](const FileEntry& a, const FileEntry& b) {
                          return a.size != b.size ? a.size > b.size : a.name < b.name;
                      });
    files.resize(count);
    return files;
}

void trashFolder(HeldScan& scan, const Folder& folder) {
    if (folder.parent == nullptr) throw ActionError("the scanned folder itself is not trashed");
    moveToTrash(folderPath(folder, scan.tree.rootPath()), scan.tree.device(), folder.inode);
    recordTrashedFolder(scan, folder);
}

void trashFile(HeldScan& scan, const Folder& folder, const FileEntry& file) {
    std::string path = folderPath(folder, scan.tree.rootPath());
    if (path.back() != '/') path += '/';
    moveToTrash(path + file.name, file.device, file.inode);
    recordTrashedFile(scan, folder, file);
}

void recordTrashedFolder(HeldScan& scan, const Folder& folder) {
    TreeEdit::moveFolder(scan.tree, folder, trashFilesFolder(scan.tree));
    republish(scan);
}

void recordTrashedFile(HeldScan& scan, const Folder& folder, const FileEntry& file) {
    // A file linked elsewhere frees nothing, and the walk counted it toward one of its links.
    if (file.linkedElsewhere) return;
    TreeEdit::moveFile(scan.tree, folder, file.size, file.kind, trashFilesFolder(scan.tree));
    republish(scan);
}

void followPins(HeldScan& scan, const Preferences& preferences, std::vector<std::string>& notes) {
    ScanChoices choices;
    choices.root = scan.plan.root;
    choices.top = scan.plan.top;
    scan.plan.areas = planPreferredScan(choices, preferences, notes).areas;
    republish(scan);
}

}  // namespace brimlet
