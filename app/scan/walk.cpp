#include "app/scan/walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <tuple>
#include <unordered_set>

#include "platform/foundation/file.h"

namespace brimlet {
namespace {

// getdents64 reads this much per call: a few hundred entries of a typical folder.
constexpr std::size_t kDirentBufferBytes = std::size_t{64} * 1024;
// Relative paths up to this length are opened in one openat; longer ones one component at a
// time, which never meets PATH_MAX (4096).
constexpr std::size_t kMaxJoinedPath = 3072;
constexpr int kFolderOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;

using Descriptor = foundation::FileDescriptor;

std::int64_t allocatedBytes(const struct stat& st) {
    return st.st_blocks > 0 ? static_cast<std::int64_t>(st.st_blocks) * 512 : 0;
}

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Opening a folder that its parent listed fails with these when the folder is no longer there: it
// was removed, or replaced by a file or a symbolic link.
bool vanishedBeforeOpening(int error) {
    return error == ENOENT || error == ENOTDIR || error == ELOOP;
}

// A non-folder entry whose inode has more than one link; settled after the walk.
struct HardLink {
    std::uint64_t inode;
    Folder* folder;
    std::string name;
    std::int64_t size;
    FileKind kind;
};

}  // namespace

FolderTree::FolderTree() = default;
FolderTree::~FolderTree() = default;
FolderTree::FolderTree(FolderTree&&) noexcept = default;
FolderTree& FolderTree::operator=(FolderTree&&) noexcept = default;

const Folder* FolderTree::find(std::string_view relative) const {
    const Folder* at = root_;
    while (at != nullptr && !relative.empty()) {
        const auto slash = relative.find('/');
        const auto part = relative.substr(0, slash);
        relative =
            slash == std::string_view::npos ? std::string_view() : relative.substr(slash + 1);
        if (part.empty() || part == ".") continue;
        const auto it = std::find_if(at->children.begin(), at->children.end(),
                                     [&](const Folder* c) { return c->name == part; });
        at = it == at->children.end() ? nullptr : *it;
    }
    return at;
}

std::string WalkProgress::currentPath(const std::string& rootPath) const {
    const std::shared_lock lock(reading_);
    const Folder* folder = current.load(std::memory_order_acquire);
    return folder != nullptr ? folderPath(*folder, rootPath) : std::string();
}

void WalkProgress::clearCurrent() {
    const std::unique_lock lock(reading_);
    current.store(nullptr, std::memory_order_release);
}

std::string folderPath(const Folder& folder, const std::string& rootPath) {
    std::vector<const Folder*> chain;
    for (const Folder* f = &folder; f->parent != nullptr; f = f->parent) chain.push_back(f);
    std::string path = rootPath;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (path.empty() || path.back() != '/') path += '/';
        path += (*it)->name;
    }
    return path;
}

class TreeWalker {
public:
    TreeWalker(const std::string& rootPath, const WalkOptions& options, WalkProgress* progress)
        : rootPath_(rootPath),
          exclusions_(options.exclusions),
          environment_(*options.environment),
          cancel_(options.cancel),
          progress_(progress) {
        // Two threads per core: a thread waiting for the disk on a cold cache leaves its core to
        // another; with a warm cache the extra threads cost next to nothing.
        threads_ = options.threads != 0
                       ? options.threads
                       : std::clamp(2 * std::thread::hardware_concurrency(), 4u, 32u);
        if (const int error = environment_.openFolderFault(rootPath); error != 0) {
            throw std::system_error(error, std::generic_category(), rootPath);
        }
        rootFd_ =
            Descriptor(::open(rootPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY));
        if (rootFd_.get() < 0) throw std::system_error(errno, std::generic_category(), rootPath);
        struct stat st {};
        if (::fstat(rootFd_.get(), &st) != 0) {
            throw std::system_error(errno, std::generic_category(), rootPath);
        }
        device_ = st.st_dev;
        tree_.device_ = st.st_dev;
        tree_.rootPath_ = rootPath;
        tree_.storage_.push_back(std::make_unique<std::deque<Folder>>());
        Folder& root = tree_.storage_.back()->emplace_back();
        root.inode = st.st_ino;
        root.size = allocatedBytes(st);
        tree_.root_ = &root;
        stack_.push_back(&root);
        if (progress_ != nullptr) {
            progress_->bytes.fetch_add(root.size, std::memory_order_relaxed);
            progress_->folders.fetch_add(1, std::memory_order_relaxed);
        }
    }

    TreeWalker(const TreeWalker&) = delete;
    TreeWalker& operator=(const TreeWalker&) = delete;

    FolderTree run() {
        std::vector<Worker> workers(threads_);
        {
            std::vector<std::jthread> pool;
            pool.reserve(threads_ - 1);
            for (unsigned i = 1; i < threads_; ++i)
                pool.emplace_back([this, &workers, i] { work(workers[i]); });
            work(workers[0]);
        }
        if (progress_ != nullptr) progress_->clearCurrent();
        if (cancelled()) throw ScanCancelled();
        std::vector<HardLink> links;
        for (Worker& w : workers) {
            tree_.storage_.push_back(std::move(w.folders));
            tree_.files_ += w.files;
            tree_.skipped_ += w.skipped;
            tree_.vanished_ += w.vanished;
            links.insert(links.end(), std::make_move_iterator(w.links.begin()),
                         std::make_move_iterator(w.links.end()));
        }
        settleHardLinks(links);
        sumSubtrees();
        return std::move(tree_);
    }

private:
    struct Worker {
        std::unique_ptr<std::deque<Folder>> folders = std::make_unique<std::deque<Folder>>();
        std::vector<HardLink> links;
        std::int64_t files = 0;
        std::int64_t skipped = 0;
        std::int64_t vanished = 0;
        std::unique_ptr<std::uint64_t[]> buffer =
            std::make_unique<std::uint64_t[]>(kDirentBufferBytes / sizeof(std::uint64_t));
        std::vector<Folder*> fresh;
        std::vector<const Folder*> chain;
        std::string path;
        std::string folderRelative;  // for the exclusion patterns
        std::string entryRelative;
    };

    // Takes folders from the shared stack until every folder is done. A worker keeps one of the
    // subfolders it finds and goes on depth-first with it, and shares the rest.
    void work(Worker& w) {
        std::unique_lock lock(mutex_);
        for (;;) {
            while (!stopping_ && stack_.empty() && active_ > 0) {
                ++waiting_;
                ready_.wait(lock);
                --waiting_;
            }
            if (stopping_ || stack_.empty()) {
                ready_.notify_all();
                return;
            }
            Folder* next = stack_.back();
            stack_.pop_back();
            ++active_;
            lock.unlock();
            while (next != nullptr && !cancelled()) {
                w.fresh.clear();
                visit(w, *next);
                next = nullptr;
                if (!w.fresh.empty()) {
                    next = w.fresh.back();
                    w.fresh.pop_back();
                }
                if (!w.fresh.empty()) {
                    std::lock_guard guard(mutex_);
                    stack_.insert(stack_.end(), w.fresh.begin(), w.fresh.end());
                    if (waiting_ > 0) ready_.notify_all();
                }
            }
            lock.lock();
            --active_;
            // A cancelled walk ends every worker, the waiting ones too.
            if (cancelled()) stopping_ = true;
        }
    }

    bool cancelled() const {
        return cancel_ != nullptr && cancel_->load(std::memory_order_relaxed);
    }

    // Opens `folder` (at `absolute`) below the root; -1 with errno set on failure. `verified` tells
    // whether the open itself guaranteed that no symbolic link and no mount point lay on the way
    // (openat2); otherwise only the last component is known not to be a link, and the caller checks
    // the folder's identity.
    int openFolder(Worker& w, const Folder& folder, const std::string& absolute, bool& verified) {
        verified = false;
        if (const int error = environment_.openFolderFault(absolute); error != 0) {
            errno = error;
            return -1;
        }
        if (folder.parent == nullptr) {
            verified = true;
            return ::fcntl(rootFd_.get(), F_DUPFD_CLOEXEC, 0);
        }
        w.chain.clear();
        std::size_t length = 0;
        for (const Folder* f = &folder; f->parent != nullptr; f = f->parent) {
            w.chain.push_back(f);
            length += f->name.size() + 1;
        }
        if (length <= kMaxJoinedPath) {
            w.path.clear();
            for (auto it = w.chain.rbegin(); it != w.chain.rend(); ++it) {
                if (!w.path.empty()) w.path += '/';
                w.path += (*it)->name;
            }
            if (!openat2Missing_.load(std::memory_order_relaxed)) {
                open_how how{};
                how.flags = static_cast<std::uint64_t>(kFolderOpenFlags);
                how.resolve =
                    RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS | RESOLVE_NO_XDEV;
                const long fd =
                    ::syscall(SYS_openat2, rootFd_.get(), w.path.c_str(), &how, sizeof how);
                if (fd >= 0) {
                    verified = true;
                    return static_cast<int>(fd);
                }
                // A kernel before 5.6 (or a filter that hides the call): openat from now on. A
                // bind mount of the root's own device (EXDEV) is walked like the folder it
                // shows, as st_dev says, so it too goes through openat and the identity check.
                if (errno == ENOSYS) openat2Missing_.store(true, std::memory_order_relaxed);
                if (errno != ENOSYS && errno != EXDEV) return -1;
            }
            return ::openat(rootFd_.get(), w.path.c_str(), kFolderOpenFlags);
        }
        // One component at a time, each opened relative to the one before.
        Descriptor at;
        for (auto it = w.chain.rbegin(); it != w.chain.rend(); ++it) {
            const int base = at.get() >= 0 ? at.get() : rootFd_.get();
            Descriptor next(::openat(base, (*it)->name.c_str(), kFolderOpenFlags));
            if (next.get() < 0) return -1;  // errno from openat; `at` closes without touching it
            at = std::move(next);
        }
        return at.release();
    }

    void skip(Worker& w, Folder& folder) {
        folder.skipped = true;
        ++w.skipped;
    }

    // The folder or file met in a listing is no longer there; what was measured of it stays.
    void vanish(Worker& w) { ++w.vanished; }

    void visit(Worker& w, Folder& folder) {
        if (progress_ != nullptr) progress_->current.store(&folder, std::memory_order_release);
        const std::string absolute = folderPath(folder, rootPath_);
        bool verified = false;
        const Descriptor fd(openFolder(w, folder, absolute, verified));
        if (fd.get() < 0) return vanishedBeforeOpening(errno) ? vanish(w) : skip(w, folder);
        if (!verified) {
            struct stat self {};
            if (::fstat(fd.get(), &self) != 0) return skip(w, folder);
            // The path has been given to another folder since the parent listed it.
            if (self.st_dev != device_ || self.st_ino != folder.inode) return vanish(w);
        }
        if (exclusions_.caches && folder.parent != nullptr && holdsCacheTag(fd.get())) {
            folder.excluded = true;
            // The parent's listing counted its own blocks; the finished tree leaves it out.
            if (progress_ != nullptr) {
                progress_->bytes.fetch_sub(folder.size, std::memory_order_relaxed);
                progress_->folders.fetch_sub(1, std::memory_order_relaxed);
            }
            return;
        }
        const bool matchPatterns = !exclusions_.patterns.empty();
        if (matchPatterns) {
            w.folderRelative = folderPath(folder, std::string());
            if (!w.folderRelative.empty()) w.folderRelative.erase(0, 1);
        }
        Tally tally;
        // False once an entry cannot be measured (in a folder listed but not entered): the folder
        // is unreadable, and its listing ends there.
        bool measurable = true;
        bool listed = false;
        char* const buffer = reinterpret_cast<char*>(w.buffer.get());
        while (measurable) {
            const ssize_t got = ::getdents64(fd.get(), buffer, kDirentBufferBytes);
            if (got == 0 || cancelled()) break;
            if (got < 0) {
                if (errno == EINTR) continue;
                // A folder removed while it is open lists ENOENT.
                if (errno == ENOENT) {
                    vanish(w);
                } else {
                    skip(w, folder);
                }
                break;
            }
            if (!listed) environment_.folderListed(absolute);
            listed = true;
            for (ssize_t at = 0; at < got && measurable;) {
                const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
                at += entry->d_reclen;
                const char* name = entry->d_name;
                if (isDotOrDotDot(name)) continue;
                if (matchPatterns) {
                    w.entryRelative = w.folderRelative;
                    if (!w.entryRelative.empty()) w.entryRelative += '/';
                    w.entryRelative += name;
                    if (exclusions_.excludes(w.entryRelative, name)) continue;
                }
                const Measured measured = count(w, folder, fd.get(), name, tally);
                if (measured == Measured::vanished) vanish(w);
                measurable = measured != Measured::unreadable;
            }
        }
        if (progress_ != nullptr) {
            progress_->files.fetch_add(tally.files, std::memory_order_relaxed);
            progress_->bytes.fetch_add(tally.bytes, std::memory_order_relaxed);
            progress_->folders.fetch_add(tally.folders, std::memory_order_relaxed);
        }
        if (!measurable) skip(w, folder);
    }

    // What one folder's listing added, for the progress display.
    struct Tally {
        std::int64_t files = 0;
        std::int64_t bytes = 0;
        std::int64_t folders = 0;
    };

    enum class Measured { counted, vanished, unreadable };

    // Counts the entry `name` of `folder` (open as `folderFd`): a folder below becomes a child to
    // walk, a file adds its blocks to the folder and its kind, a hard-linked file waits until the
    // walk ends to be counted once.
    Measured count(Worker& w, Folder& folder, int folderFd, const char* name, Tally& tally) {
        struct stat st {};
        if (::fstatat(folderFd, name, &st, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) != 0) {
            // ENOENT: removed since the listing. Anything else, EACCES above all (the folder can
            // be read but not searched), leaves the folder's contents unknown.
            return errno == ENOENT ? Measured::vanished : Measured::unreadable;
        }
        if (st.st_dev != device_) return Measured::counted;
        const std::int64_t size = allocatedBytes(st);
        if (S_ISDIR(st.st_mode)) {
            Folder& child = w.folders->emplace_back();
            child.parent = &folder;
            child.name = name;
            child.inode = st.st_ino;
            child.size = size;
            folder.children.push_back(&child);
            w.fresh.push_back(&child);
            tally.bytes += size;
            ++tally.folders;
            return Measured::counted;
        }
        const bool executable = S_ISREG(st.st_mode) && (st.st_mode & 0111) != 0;
        const FileKind kind = classifyFile(name, executable);
        if (st.st_nlink > 1) {
            w.links.push_back(HardLink{st.st_ino, &folder, name, size, kind});
            if (progress_ != nullptr && firstSighting(st.st_ino)) {
                tally.bytes += size;
                ++tally.files;
            }
            return Measured::counted;
        }
        folder.size += size;
        folder.kinds[static_cast<std::size_t>(kind)] += size;
        ++folder.files;
        ++w.files;
        tally.bytes += size;
        ++tally.files;
        return Measured::counted;
    }

    // True the first time any worker meets the hard-linked inode `inode`, so that the live
    // counters take it once, as settleHardLinks does.
    bool firstSighting(std::uint64_t inode) {
        const std::lock_guard guard(sightedMutex_);
        return sighted_.insert(inode).second;
    }

    // Each hard-linked inode counts once, toward the link whose path sorts first.
    void settleHardLinks(std::vector<HardLink>& links) {
        if (links.empty()) return;
        struct Keyed {
            std::uint64_t inode;
            std::string path;
            const HardLink* link;
        };
        std::vector<Keyed> keyed;
        keyed.reserve(links.size());
        for (const HardLink& link : links) {
            std::string path = folderPath(*link.folder, std::string());
            path += '/';
            path += link.name;
            keyed.push_back(Keyed{link.inode, std::move(path), &link});
        }
        std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
            return std::tie(a.inode, a.path) < std::tie(b.inode, b.path);
        });
        for (std::size_t i = 0; i < keyed.size(); ++i) {
            if (i > 0 && keyed[i].inode == keyed[i - 1].inode) continue;
            const HardLink& first = *keyed[i].link;
            first.folder->size += first.size;
            first.folder->kinds[static_cast<std::size_t>(first.kind)] += first.size;
            ++first.folder->files;
            ++tree_.files_;
        }
    }

    // Drops the folders found to be caches, then turns each folder's own figures into figures
    // of its whole subtree.
    void sumSubtrees() {
        std::vector<Folder*> order;
        std::vector<Folder*> pending{tree_.root_};
        while (!pending.empty()) {
            Folder* f = pending.back();
            pending.pop_back();
            order.push_back(f);
            std::erase_if(f->children, [](const Folder* c) { return c->excluded; });
            pending.insert(pending.end(), f->children.begin(), f->children.end());
        }
        tree_.folders_ = static_cast<std::int64_t>(order.size());
        for (auto it = order.rbegin(); it != order.rend(); ++it) {
            Folder* parent = (*it)->parent;
            if (parent == nullptr) continue;
            parent->size += (*it)->size;
            parent->files += (*it)->files;
            parent->folders += (*it)->folders + 1;
            for (std::size_t k = 0; k < kFileKindCount; ++k) parent->kinds[k] += (*it)->kinds[k];
        }
    }

    std::string rootPath_;
    Exclusions exclusions_;
    const ScanEnvironment& environment_;
    const std::atomic<bool>* cancel_;
    WalkProgress* progress_;
    unsigned threads_ = 2;
    Descriptor rootFd_;
    dev_t device_ = 0;
    std::atomic<bool> openat2Missing_{false};
    FolderTree tree_;

    std::mutex sightedMutex_;
    std::unordered_set<std::uint64_t> sighted_;  // hard-linked inodes the progress has counted

    std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<Folder*> stack_;
    unsigned active_ = 0;
    unsigned waiting_ = 0;
    bool stopping_ = false;
};

std::vector<std::string> skippedFolderPaths(const FolderTree& tree) {
    std::vector<std::string> paths;
    std::vector<const Folder*> pending{&tree.root()};
    while (!pending.empty()) {
        const Folder* f = pending.back();
        pending.pop_back();
        if (f->skipped) paths.push_back(folderPath(*f, tree.rootPath()));
        pending.insert(pending.end(), f->children.begin(), f->children.end());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

FolderTree walkTree(const std::string& rootPath, const WalkOptions& options,
                    WalkProgress* progress) {
    TreeWalker walker(rootPath, options, progress);
    return walker.run();
}

}  // namespace brimlet
