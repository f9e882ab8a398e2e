#include "platform/foundation/file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <memory>

namespace foundation {

std::optional<std::string> readWholeFile(const std::string& path, std::size_t maxBytes);

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

int FileDescriptor::close() {
    const int fd = fd_;
    fd_ = -1;
    return fd >= 0 ? ::close(fd) : 0;
}

namespace {

mode_t currentUmask() {
    // umask can only be read by setting it; /proc/self/status has it without a race.
    if (auto status = readWholeFile("/proc/self/status", 1 << 16)) {
        const auto at = status->find("Umask:");
        if (at != std::string::npos) {
            return static_cast<mode_t>(std::strtoul(status->c_str() + at + 6, nullptr, 8));
        }
    }
    return 022;
}

}  // namespace

std::optional<std::string> readWholeFile(const std::string& path, std::size_t maxBytes) {
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        static_cast<std::size_t>(st.st_size) > maxBytes) {
        return std::nullopt;
    }
    std::string bytes;
    // One byte more than the limit, so that a file that grew since fstat is noticed (a limit of
    // SIZE_MAX has no byte more, and never needs one).
    const std::size_t ceiling =
        maxBytes < std::numeric_limits<std::size_t>::max() ? maxBytes + 1 : maxBytes;
    bytes.resize(std::min(ceiling, static_cast<std::size_t>(st.st_size) + 4096));
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (bytes.size() > maxBytes) return std::nullopt;
            bytes.resize(bytes.size() > ceiling / 2 ? ceiling : bytes.size() * 2);
        }
        const ssize_t n = ::read(fd.get(), bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
        if (got > maxBytes) return std::nullopt;
    }
    bytes.resize(got);
    return bytes;
}

namespace {

Status failure(const std::string& what, const std::string& path) {
    return Status::failure(what + " " + path + ": " + std::strerror(errno));
}

std::string baseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether the process `pid` still runs (one of another user counts as running).
bool running(pid_t pid) { return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM); }

// Whether `entry` in `folder` is a stale temporary file of a write of the file named `name`:
// ".<name>.tmp-<pid>-<n>" whose creator is gone, or either form once it is old enough.
bool staleTemporary(int folder, std::string_view entry, const std::string& name, time_t now) {
    const std::string ours = "." + name + ".tmp-", older = name + ".tmp-";
    bool creatorGone = false;
    if (entry.substr(0, ours.size()) == ours) {
        const std::string_view rest = entry.substr(ours.size());
        const auto dash = rest.find('-');
        if (dash == std::string_view::npos || !allDigits(rest.substr(0, dash)) ||
            !allDigits(rest.substr(dash + 1)) || dash > 9) {
            return false;
        }
        creatorGone = !running(static_cast<pid_t>(std::stol(std::string(rest.substr(0, dash)))));
    } else if (entry.size() != older.size() + 6 || entry.substr(0, older.size()) != older) {
        return false;
    }
    struct stat st {};
    if (::fstatat(folder, std::string(entry).c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode)) {
        return false;
    }
    return creatorGone || now - st.st_mtime > kStaleTemporaryAge;
}

// Removes the stale temporary files of writes of `path`; what cannot be removed stays.
void sweepTemporaries(const std::string& path) {
    const std::string name = baseName(path);
    const FileDescriptor folder(
        ::open(parentFolder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0) return;
    const int listed = ::dup(folder.get());
    if (listed < 0) return;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::fdopendir(listed), &::closedir);
    if (!dir) {
        ::close(listed);
        return;
    }
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(dir.get())) {
        if (staleTemporary(folder.get(), entry->d_name, name, now)) {
            ::unlinkat(folder.get(), entry->d_name, 0);
        }
    }
}

// A new file beside `path`, named ".<name>.tmp-<pid>-<n>", with mode 0600 until the caller sets
// its own. Sets `temp` to its path.
FileDescriptor createTemporary(const std::string& path, std::string& temp) {
    static std::atomic<unsigned> counter{0};
    const std::string folder = parentFolder(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = (folder == "/" ? "" : folder) + "/." + baseName(path) + ".tmp-" +
               std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
        const int fd =
            ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
        if (fd >= 0 || errno != EEXIST) return FileDescriptor(fd);
    }
    errno = EEXIST;
    return FileDescriptor();
}

}  // namespace

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string parentFolder(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

Status writeFileAtomically(const std::string& path, std::string_view bytes, unsigned mode,
                           ByteWriter write, const void* context) {
    sweepTemporaries(path);
    std::string temp;
    FileDescriptor fd = createTemporary(path, temp);
    if (fd.get() < 0) return failure("cannot create a temporary file beside", path);
    auto abandon = [&](const std::string& what) {
        Status status = failure(what, path);
        (void)fd.close();  // the write already failed; closing cannot make it worse
        ::unlink(temp.c_str());
        return status;
    };
    if (::fchmod(fd.get(), static_cast<mode_t>(mode) & ~currentUmask()) != 0) {
        return abandon("cannot set the mode of");
    }
    const bool written = write ? write(fd.get(), bytes, context) : writeAll(fd.get(), bytes);
    if (!written) return abandon("cannot write");
    if (::fsync(fd.get()) != 0) return abandon("cannot flush");
    if (fd.close() != 0) return abandon("cannot write");
    if (::rename(temp.c_str(), path.c_str()) != 0) return abandon("cannot replace");
    const FileDescriptor dir(
        ::open(parentFolder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
    return {};
}

Status checkWritableBeside(const std::string& path) {
    std::string temp;
    const FileDescriptor fd = createTemporary(path, temp);
    if (fd.get() < 0) return failure("cannot create a file beside", path);
    ::unlink(temp.c_str());
    return {};
}

Status createDirectories(const std::string& path, unsigned mode) {
    if (path.empty()) return Status::failure("cannot create a folder with an empty name");
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return {};
        errno = ENOTDIR;
        return failure("cannot create folder", path);
    }
    const std::string parent = parentFolder(path);
    if (parent != path) {
        if (Status status = createDirectories(parent, mode); !status) return status;
    }
    if (::mkdir(path.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST) {
        return failure("cannot create folder", path);
    }
    return {};
}

}  // namespace foundation
