#include "app/scan/snapshot_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/scan/environment.h"
#include "app/scan/scan.h"
#include "extension/shared/identifiers.h"
#include "platform/foundation/container.h"
#include "platform/foundation/file.h"

namespace brimlet {
namespace {

[[noreturn]] void fail(const std::string& what, int error) {
    throw ScanError(what + ": " + std::strerror(error));
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// A fresh file in `folder`, created with mode 0666 less the umask. Returns the descriptor and
// sets `path`.
int createTemporary(const std::string& folder, std::string& path) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = folder;
        if (path.back() != '/') path += '/';
        path += ".snapshot.json.tmp-" + std::to_string(::getpid()) + "-" +
                std::to_string(counter.fetch_add(1));
        const int fd =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// Writes all of `bytes`; false with errno set on failure. Stops with EIO at the environment's
// write limit.
bool writeAll(int fd, std::string_view bytes, const ScanEnvironment& environment) {
    const std::optional<std::size_t> limit = environment.writeLimit();
    const std::size_t allowed = std::min(bytes.size(), limit.value_or(bytes.size()));
    std::size_t done = 0;
    while (done < allowed) {
        const ssize_t n = ::write(fd, bytes.data() + done, allowed - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    if (allowed < bytes.size()) {
        errno = EIO;
        return false;
    }
    return true;
}

void replaceFile(const std::string& path, std::string_view document,
                 const ScanEnvironment& environment) {
    const std::string folder = folderOf(path);
    std::string temporary;
    foundation::FileDescriptor fd(createTemporary(folder, temporary));
    if (fd.get() < 0) fail(folder, errno);
    auto abandon = [&](const std::string& what, int error) {
        (void)fd.close();  // the write already failed; this close cannot make it worse
        ::unlink(temporary.c_str());
        fail(what, error);
    };
    if (!writeAll(fd.get(), document, environment)) abandon(path, errno);
    if (::fsync(fd.get()) != 0) abandon(path, errno);
    if (fd.close() != 0) abandon(path, errno);
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        fail(path, error);
    }
    // The rename is durable once the folder itself is on disk.
    const foundation::FileDescriptor dir(
        ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
}

}  // namespace

SnapshotTarget prepareSnapshotTarget(const std::optional<std::string>& output) {
    if (output && *output == "-") return SnapshotTarget{SnapshotTarget::Mode::standardOutput, {}};
    std::string path;
    if (!output) {
        auto container = foundation::groupContainerPath(kAppGroupIdentifier);
        if (!container)
            throw ScanError("no shared container: neither XDG_DATA_HOME nor a home folder is set");
        while (container->size() > 1 && container->back() == '/') container->pop_back();
        if (const auto status = foundation::createDirectories(*container, 0700); !status) {
            throw ScanError(status.message());
        }
        path = *container + "/" + std::string(kSnapshotFileName);
    } else {
        if (output->empty()) throw ScanError("-o: an empty path", 2);
        path = *output;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) fail(path, EISDIR);
        if (!S_ISREG(st.st_mode)) {
            return SnapshotTarget{SnapshotTarget::Mode::writeInPlace, path, !output};
        }
        struct stat link {};
        if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
            std::unique_ptr<char, decltype(&std::free)> target(::realpath(path.c_str(), nullptr),
                                                               &std::free);
            if (!target) fail(path, errno);
            path = target.get();
        }
    } else if (errno != ENOENT) {
        fail(path, errno);
    }
    const std::string folder = folderOf(path);
    std::string probe;
    const foundation::FileDescriptor fd(createTemporary(folder, probe));
    if (fd.get() < 0) fail(path, errno);
    ::unlink(probe.c_str());
    return SnapshotTarget{SnapshotTarget::Mode::replaceFile, path, !output};
}

void writeSnapshot(const SnapshotTarget& target, std::string_view document, int standardOutput,
                   const ScanEnvironment& environment) {
    switch (target.mode) {
        case SnapshotTarget::Mode::standardOutput:
            if (!writeAll(standardOutput, document, environment)) fail("standard output", errno);
            return;
        case SnapshotTarget::Mode::writeInPlace: {
            foundation::FileDescriptor fd(
                ::open(target.path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
            if (fd.get() < 0) fail(target.path, errno);
            if (!writeAll(fd.get(), document, environment)) fail(target.path, errno);
            if (fd.close() != 0) fail(target.path, errno);
            return;
        }
        case SnapshotTarget::Mode::replaceFile:
            replaceFile(target.path, document, environment);
            return;
    }
}

std::string describeTarget(const SnapshotTarget& target) {
    if (target.mode == SnapshotTarget::Mode::standardOutput) return "standard output";
    return target.path;
}

}  // namespace brimlet
