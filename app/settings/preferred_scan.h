#pragma once
// A scan as the person prefers it: the command line (or the app's own choice) over the stored
// preferences, and the pinned folders as the snapshot's areas.

#include <optional>
#include <string>
#include <vector>

#include "app/scan/scan.h"
#include "app/settings/settings.h"

namespace brimlet {

// What the caller decided itself; everything absent comes from the preferences.
struct ScanChoices {
    std::optional<std::string> root =
        std::nullopt;  // absent: Preferences::folder, else the home folder
    // Absent: the stored patterns. Given (even empty, as --no-exclude gives), they replace the
    // stored patterns for this scan: nothing is added to them.
    std::optional<std::vector<std::string>> exclude = std::nullopt;
    std::optional<bool> excludeCaches = std::nullopt;  // absent: Preferences::excludeCaches
    // Given areas replace the pinned folders for this scan; empty means "the pins".
    std::vector<std::string> areas = {};
    std::size_t top = kDefaultTopCount;
    unsigned threads = 0;
};

// Plans the scan. Errors in what the caller gave throw ScanError as planScan does. What comes
// from the preferences never fails the scan: a stored pattern planExclusions would refuse for
// this root (an absolute path elsewhere, one that matches the root itself) is left out of this
// scan with a note. Without given areas, every pinned folder inside the root becomes an area, in
// pinning order: a pinned folder that is missing, not a folder, outside the root or the root
// itself is left out silently (`brimlet pins` shows which), and one planScan refuses otherwise
// (on another file system, inside a left-out folder) is left out with a note. With no pin inside
// the root the snapshot gets the default areas. Notes are one line each.
ScanPlan planPreferredScan(const ScanChoices& choices, const Preferences& preferences,
                           std::vector<std::string>& notes);

// The pinned folders that lie strictly inside `canonicalRoot` and exist as folders, as paths
// relative to it, in pinning order.
std::vector<std::string> pinsInside(const std::vector<std::string>& pins,
                                    const std::string& canonicalRoot);

}  // namespace brimlet
