#pragma once
// One scan: a request checked against the file system, the walk, and the snapshot built from it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/scan/walk.h"
#include "extension/shared/disk_snapshot.h"
#include "platform/foundation/command.h"
#include "platform/foundation/date.h"
#include "platform/foundation/volume.h"

namespace brimlet {

// A scan that cannot go on: the one error type of every command, with a message fit for one
// line on standard error and the exit status it calls for (1 for a failure, 2 for arguments that
// contradict each other).
using ScanError = foundation::CommandError;

inline constexpr std::size_t kDefaultTopCount = 8;
inline constexpr std::size_t kDefaultAreaCount = 5;

struct ScanRequest {
    std::optional<std::string> root;  // absent: the home directory
    // Folders to single out as areas: absolute, or relative to the root. Empty: the biggest
    // kDefaultAreaCount folders directly below the root.
    std::vector<std::string> areas;
    std::size_t top = kDefaultTopCount;     // entries per topFolders list, at least 1
    unsigned threads = 0;                   // walk threads; 0 lets the walk choose
    std::vector<std::string> exclude = {};  // --exclude patterns, as given
    bool excludeCaches = false;
};

// A request checked against the file system.
struct ScanPlan {
    std::string root;                // canonical absolute path of a folder
    std::vector<std::string> areas;  // canonical paths relative to root, no duplicates, in order
    std::size_t top = kDefaultTopCount;
    unsigned threads = 0;
    Exclusions exclusions = {};
    // Where opening a folder may fail; never null.
    const ScanEnvironment* environment = &ScanEnvironment::standard();
};

// Resolves the root (home directory when absent) and the areas. Throws ScanError: a root that
// does not exist or is not a folder, an area that does not exist or is not a folder (status 1);
// an area outside the root, the root itself, one on another file system or inside a left-out
// folder, and exclusions planExclusions rejects (status 2).
ScanPlan planScan(const ScanRequest& request);

// The volume figures of the snapshot, with the volume probe's arithmetic: free is the
// important-usage figure if present, else the available one, else 0; used = total − free,
// never below 0 and never overflowing; usedFraction = used / total within 0...1; name "Disk"
// when absent. nullopt when the query failed or the total is absent or below 1: the scanner
// never writes made-up figures.
struct VolumeTotals {
    std::string volumeName;
    std::int64_t used = 0;
    std::int64_t free = 0;
    std::int64_t total = 0;
    double usedFraction = 0;
};
std::optional<VolumeTotals> volumeTotals(const std::optional<foundation::VolumeFigures>& figures);

// A file-system name as text the snapshot can hold: valid UTF-8 is kept as it is, every byte
// that is not part of a valid sequence becomes U+FFFD.
std::string displayName(std::string_view raw);

// "/" for "/", otherwise the last component of a canonical path.
std::string rootNameOf(const std::string& canonicalRoot);

// The snapshot of a finished walk: topFolders and default areas are the biggest folders
// directly below the root (ties by name), topKinds every kind with bytes, biggest first (ties by
// label). An explicit area the walk did not reach (inside a skipped folder) has total 0 and empty
// lists.
DiskSnapshot buildSnapshot(const FolderTree& tree, const ScanPlan& plan, const VolumeTotals& volume,
                           foundation::Date generatedAt);

struct ScanResult {
    DiskSnapshot snapshot;
    FolderTree tree;
};

// Queries the volume, walks and builds the snapshot. Throws ScanError when the volume figures
// cannot be had or the root cannot be opened, ScanCancelled when `cancel` (may be nullptr)
// becomes true before the walk ends.
ScanResult runScan(const ScanPlan& plan, WalkProgress* progress = nullptr,
                   const std::atomic<bool>* cancel = nullptr);

}  // namespace brimlet
