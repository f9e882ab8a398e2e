#pragma once
// Which records of a scanned folder the history lets go, as backups thin out: every record of the
// last 14 days stays; older than that, only the last record of each day, up to 90 days; older
// still, only the last record of each week. Days are UTC calendar days and weeks start on Monday
// (UTC); "last" is by time as stored, then by id.

#include <cstdint>
#include <vector>

#include "platform/foundation/date.h"

namespace brimlet {

inline constexpr double kKeepEverySeconds = 14 * 86400.0;
inline constexpr double kKeepDailySeconds = 90 * 86400.0;

struct RecordTime {
    std::int64_t id = 0;
    foundation::Date time;
};

// The ids of the records of one root to remove at `now`, in ascending order. A record later than
// `now` (a clock that went back) is kept. Applying the result and asking again at the same `now`
// removes nothing more.
std::vector<std::int64_t> recordsToThin(std::vector<RecordTime> records, foundation::Date now);

}  // namespace brimlet
