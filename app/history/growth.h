#pragma once
// What grew: the folders of two records of one root compared, and the choice of the earlier
// record from a `--since` argument.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/history/record.h"
#include "platform/foundation/date.h"

namespace brimlet {

struct FolderGrowth {
    enum class Status { grew, shrank, added, removed };
    std::string path;                    // relative to the root, as in FolderRecord
    std::optional<std::int64_t> before;  // absent: not in the earlier record
    std::optional<std::int64_t> after;   // absent: not in the later record
    std::int64_t change = 0;             // after − before, an absent side counting 0
    Status status = Status::grew;
};

// The folders below the root whose size changed between `before` and `after`, biggest change
// (in either direction) first, then by path; at most `top` of them. A folder in one record only
// is added or removed (a renamed folder is one of each); inside a folder added or removed, its
// folders are left out, since it stands for them. A folder in both records whose change lies at
// least 90 % in one of its folders, in the same direction, is left out too: that folder names
// where the change happened.
std::vector<FolderGrowth> compareRecords(const std::vector<FolderRecord>& before,
                                         const std::vector<FolderRecord>& after, std::size_t top);

// Every folder of `after` below the root, with its size in `before` when it is there, in no
// particular order: the per-folder figures compareRecords ranks, unfiltered, for a view that
// shows each folder's change (a folder unchanged has change 0 and the status grew; one only in
// `after` is added). Folders only in `before` are left out: they are nowhere to be shown.
std::vector<FolderGrowth> changesSince(const std::vector<FolderRecord>& before,
                                       const std::vector<FolderRecord>& after);

// A `--since` argument: "7d" or "2w" (a whole number of days or weeks from 1 to 36500 days, back
// from `now`), or an ISO 8601 date in UTC, "2026-11-29" (its midnight) or "2026-11-29T10:00:00Z".
// On failure `moment` is absent and `error` says why in one line: an unknown unit, a malformed
// date, a date after `now`.
struct SinceMoment {
    std::optional<foundation::Date> moment;
    std::string error;
};
SinceMoment parseSince(std::string_view text, foundation::Date now);

// The index in `records` (one root, ordered by time as read) of the record to compare the
// latest one with: the last one before the latest whose time is at or before `moment`, the
// earliest when none is that old, the one before the latest when `moment` is absent. nullopt
// with fewer than two records.
std::optional<std::size_t> baselineIndex(const std::vector<RecordSummary>& records,
                                         std::optional<foundation::Date> moment);

}  // namespace brimlet
