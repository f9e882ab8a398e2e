#pragma once
// Whole-file reads that never block and never exhaust memory.

#include <cstddef>
#include <optional>
#include <string>

namespace foundation {

// The maximum a snapshot-like file may hold: a real snapshot holds top-N lists and is a few
// kilobytes, so anything larger is not one.
inline constexpr std::size_t kMaxWholeFileBytes = 4 * 1024 * 1024;

// All bytes of the regular file at `path`, or nullopt. The file is opened with
// O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY and must be a regular file (checked with fstat on
// the open descriptor) of at most `maxBytes` bytes. A FIFO, a device or a directory yields
// nullopt at once instead of blocking; a file that grows past `maxBytes` while being read yields
// nullopt too.
std::optional<std::string> readWholeFile(const std::string& path,
                                         std::size_t maxBytes = kMaxWholeFileBytes);

}  // namespace foundation
