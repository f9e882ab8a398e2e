#include "platform/foundation/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>

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

std::string parentOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

Status writeFileAtomically(const std::string& path, std::string_view bytes, unsigned mode) {
    const std::string folder = parentOf(path);
    std::string temp = path + ".tmp-XXXXXX";
    const int raw = ::mkostemp(temp.data(), O_CLOEXEC);
    if (raw < 0) return failure("cannot create a temporary file beside", path);
    const FileDescriptor fd(raw);
    auto abandon = [&](const std::string& what) {
        Status status = failure(what, path);
        ::unlink(temp.c_str());
        return status;
    };
    if (::fchmod(fd.get(), static_cast<mode_t>(mode) & ~currentUmask()) != 0) {
        return abandon("cannot set the mode of");
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return abandon("cannot write");
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd.get()) != 0) return abandon("cannot flush");
    if (::rename(temp.c_str(), path.c_str()) != 0) return abandon("cannot replace");
    const FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
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
    const std::string parent = parentOf(path);
    if (parent != path) {
        if (Status status = createDirectories(parent, mode); !status) return status;
    }
    if (::mkdir(path.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST) {
        return failure("cannot create folder", path);
    }
    return {};
}

}  // namespace foundation
