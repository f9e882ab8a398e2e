#pragma once
// Capacity figures of the file system that holds a path.
//
// Linux sources (statvfs and /proc/self/mountinfo):
//   totalCapacity      (f_blocks − f_bfree + f_bavail) × f_frsize: what an unprivileged user
//                      can use, that is used plus available. The blocks reserved for root are
//                      neither used nor available, so used = total − available is df's "Used"
//                      and used ÷ total df's "Use%" (before df rounds it up).
//   availableCapacity  f_bavail × f_frsize, the space an unprivileged user can still fill
//   availableCapacityForImportantUsage  always absent: Linux has no such separate figure
//   volumeName         the file system's label (the /dev/disk/by-label entry whose device
//                      number matches); without one, the last component of the mount point;
//                      absent when the mount point is "/". The mount is looked up on the
//                      path's realpath, so a home reached through a symbolic link is named
//                      after the file system it lands on.
// Products that overflow saturate at INT64_MAX; they never wrap.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

// What one query of a volume yields. An absent member means the platform gave no figure,
// never zero.
struct VolumeFigures {
    std::optional<std::int64_t> totalCapacity;
    std::optional<std::int64_t> availableCapacity;
    std::optional<std::int64_t> availableCapacityForImportantUsage;
    std::optional<std::string> volumeName;
};

// Queries the volume that holds `path`. nullopt when the query itself fails (the path does not
// exist, statvfs fails). A test may replace the query (foundation::testing::ScopedVolumeQuery).
std::optional<VolumeFigures> volumeFigures(const std::string& path);

// a × b for non-negative factors, saturating at INT64_MAX instead of wrapping.
std::int64_t saturatingProduct(std::uint64_t a, std::uint64_t b);

// The block counts of one statvfs call (f_blocks, f_bfree, f_bavail, f_frsize).
struct BlockCounts {
    std::uint64_t blocks = 0;
    std::uint64_t freeBlocks = 0;       // free, the root reserve included
    std::uint64_t availableBlocks = 0;  // free to an unprivileged user
    std::uint64_t fragmentSize = 0;     // bytes per block
};

// totalCapacity and availableCapacity as above. A file system that reports more free than
// existing blocks counts nothing as used; sums and products saturate at INT64_MAX.
VolumeFigures capacityFromBlocks(const BlockCounts& counts);

// One line of /proc/self/mountinfo: the device number (makedev(major, minor)) and the mount
// point, with its octal escapes (\040 for a space and so on) decoded.
struct MountEntry {
    std::uint64_t device = 0;
    std::string mountPoint;
};

// Parses /proc/self/mountinfo text; malformed lines are skipped.
std::vector<MountEntry> parseMountInfo(std::string_view text);

// The mount point that holds `path` (absolute, no trailing '/'): among the entries that are a
// prefix of `path` at a '/' boundary, the longest whose device is `device`; when none has that
// device, the longest prefix. nullopt when no entry is a prefix.
std::optional<std::string> mountPointFor(std::string_view path, std::uint64_t device,
                                         const std::vector<MountEntry>& entries);

}  // namespace foundation
