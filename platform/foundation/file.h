#pragma once
// Whole-file reads that never block and never exhaust memory.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/status.h"

namespace foundation {

// Owns one open file descriptor and closes it when it goes out of scope. A negative value owns
// nothing.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

    // Closes the descriptor now and returns close()'s result (0, or -1 with errno set), for a
    // writer that must know whether its data reached the file. Owns nothing afterwards.
    [[nodiscard]] int close();

    // Gives the descriptor up to the caller, who closes it. Owns nothing afterwards.
    [[nodiscard]] int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// The maximum a snapshot-like file may hold: a real snapshot holds top-N lists and is a few
// kilobytes, so anything larger is not one.
inline constexpr std::size_t kMaxWholeFileBytes = std::size_t{4} * 1024 * 1024;

// All bytes of the regular file at `path`, or nullopt. The file is opened with
// O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY and must be a regular file (checked with fstat on
// the open descriptor) of at most `maxBytes` bytes. A FIFO, a device or a directory yields
// nullopt at once instead of blocking; a file that grows past `maxBytes` while being read yields
// nullopt too.
std::optional<std::string> readWholeFile(const std::string& path,
                                         std::size_t maxBytes = kMaxWholeFileBytes);

// Writes all of `bytes` to `fd`, again after EINTR and after a short write. False with errno set
// when the descriptor refuses them (a write that makes no progress counts as EIO).
[[nodiscard]] bool writeAll(int fd, std::string_view bytes);

// How the atomic writer puts bytes into its temporary file; writeAll unless a test says
// otherwise (to fail part-way, as a full disk does). False with errno set.
using ByteWriter = bool (*)(int fd, std::string_view bytes, const void* context);

// The folder that holds `path`: "." for a bare name, "/" for a name directly under the root.
std::string parentFolder(const std::string& path);

// Replaces the file at `path` with `bytes` atomically: the bytes go to a new temporary file in
// the same folder, are flushed to disk (fsync), and the temporary file is renamed over `path`;
// then the folder is synced. A reader sees the old file or the new one, never a part; a failure
// leaves the old file as it was and removes the temporary one. The new file gets `mode` (before
// the umask). A failure says what failed and names `path` once, with strerror's text.
//
// The temporary file is ".<name>.tmp-<pid>-<n>" beside `path`. Before it is created, the
// temporary files of earlier writes of the same `path` are swept: each whose creator no longer
// runs, or that is older than kStaleTemporaryAge (so a reused pid cannot keep one forever), is
// removed; so is "<name>.tmp-XXXXXX" of an older writer once it is that old. A writer killed
// half-way leaves nothing behind for longer than the next write.
//
// `write`, when given, writes the bytes (with `context`) instead of writeAll.
Status writeFileAtomically(const std::string& path, std::string_view bytes, unsigned mode = 0644,
                           ByteWriter write = nullptr, const void* context = nullptr);

// Seconds after which a temporary file is stale whoever made it.
inline constexpr int kStaleTemporaryAge = 3600;

// Checks that a file could be put beside `path` by writeFileAtomically, by creating and removing
// a temporary file there; the failure names `path`.
Status checkWritableBeside(const std::string& path);

// Creates `path` and any missing parents with `mode` (existing folders are left as they are).
Status createDirectories(const std::string& path, unsigned mode = 0700);

}  // namespace foundation
