#include "app/history/thinning.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace brimlet {
namespace {

constexpr double kDay = 86400.0;

std::int64_t dayOf(foundation::Date time) {
    return static_cast<std::int64_t>(std::floor(time.unixSeconds() / kDay));
}

// 1970-01-01 was a Thursday: shifting by three days puts week boundaries on Mondays.
std::int64_t weekOf(foundation::Date time) {
    const std::int64_t day = dayOf(time) + 3;
    return day >= 0 ? day / 7 : (day - 6) / 7;
}

}  // namespace

std::vector<std::int64_t> recordsToThin(std::vector<RecordTime> records, foundation::Date now) {
    const auto later = [](const RecordTime& a, const RecordTime& b) {
        return a.time != b.time ? a.time < b.time : a.id < b.id;
    };
    std::sort(records.begin(), records.end(), later);
    // Walking from the latest, the first record met in a day (or week) is that day's last.
    std::map<std::int64_t, bool> daySeen;
    std::map<std::int64_t, bool> weekSeen;
    std::vector<std::int64_t> removed;
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        const double age = now.secondsSinceReferenceDate - it->time.secondsSinceReferenceDate;
        const bool lastOfDay = !std::exchange(daySeen[dayOf(it->time)], true);
        const bool lastOfWeek = !std::exchange(weekSeen[weekOf(it->time)], true);
        if (!std::isfinite(age) || age < kKeepEverySeconds) continue;
        const bool keep = age < kKeepDailySeconds ? lastOfDay : lastOfWeek;
        if (!keep) removed.push_back(it->id);
    }
    std::sort(removed.begin(), removed.end());
    return removed;
}

}  // namespace brimlet
