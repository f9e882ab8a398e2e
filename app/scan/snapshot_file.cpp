#include "app/scan/snapshot_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Writes all of `bytes`, but stops with EIO at the environment's write limit. `context` is the
// ScanEnvironment. False with errno set on failure.
bool writeWithin(int fd, std::string_view bytes, const void* context) {
    const auto& environment = *static_cast<const ScanEnvironment*>(context);
    const std::optional<std::size_t> limit = environment.writeLimit();
    if (!limit || *limit >= bytes.size()) return foundation::writeAll(fd, bytes);
    if (!foundation::writeAll(fd, bytes.substr(0, *limit))) return false;
    errno = EIO;
    return false;
}

void replaceFile(const std::string& path, std::string_view document,
                 const ScanEnvironment& environment) {
    if (const auto status =
            foundation::writeFileAtomically(path, document, 0666, &writeWithin, &environment);
        !status) {
        throw ScanError(status.message());
    }
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
    if (const auto status = foundation::checkWritableBeside(path); !status) {
        throw ScanError(status.message());
    }
    return SnapshotTarget{SnapshotTarget::Mode::replaceFile, path, !output};
}

void writeSnapshot(const SnapshotTarget& target, std::string_view document, int standardOutput,
                   const ScanEnvironment& environment) {
    switch (target.mode) {
        case SnapshotTarget::Mode::standardOutput:
            if (!writeWithin(standardOutput, document, &environment))
                fail("standard output", errno);
            return;
        case SnapshotTarget::Mode::writeInPlace: {
            foundation::FileDescriptor fd(
                ::open(target.path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
            if (fd.get() < 0) fail(target.path, errno);
            if (!writeWithin(fd.get(), document, &environment)) fail(target.path, errno);
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
