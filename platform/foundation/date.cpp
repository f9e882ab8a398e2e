#include "platform/foundation/date.h"

#include <array>
#include <chrono>
#include <cmath>
#include <ctime>

#include "platform/foundation/testing.h"
#include "platform/foundation/text.h"

namespace foundation {

Date Date::now() {
    if (const auto* clock = testing::detail::clockOverride()) return (*clock)();
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    return fromUnixSeconds(std::chrono::duration<double>(since).count());
}

std::string iso8601(Date date) {
    // Rounded to the millisecond first, so that the range check sees the instant as written.
    const double millis = std::round(date.unixSeconds() * 1000.0);
    // Years 0000..9999 in Unix milliseconds.
    constexpr double kMin = -62167219200000.0, kMax = 253402300799999.0;
    if (!std::isfinite(millis) || millis < kMin || millis > kMax) return "invalid-date";
    auto totalMs = static_cast<std::int64_t>(millis);
    std::int64_t secs = totalMs / 1000, ms = totalMs % 1000;
    if (ms < 0) {
        ms += 1000;
        secs -= 1;
    }
    std::int64_t days = secs / 86400, rem = secs % 86400;
    if (rem < 0) {
        rem += 86400;
        days -= 1;
    }
    // Civil-from-days (Howard Hinnant's algorithm), valid for the proleptic Gregorian calendar.
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    std::int64_t year = yoe + era * 400;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    if (month <= 2) year += 1;

    std::string out;
    out.reserve(24);
    appendPadded(out, year, 4);
    out += '-';
    appendPadded(out, month, 2);
    out += '-';
    appendPadded(out, day, 2);
    out += 'T';
    appendPadded(out, rem / 3600, 2);
    out += ':';
    appendPadded(out, rem / 60 % 60, 2);
    out += ':';
    appendPadded(out, rem % 60, 2);
    out += '.';
    appendPadded(out, ms, 3);
    out += 'Z';
    return out;
}

std::optional<Date> Calendar::date(Component component, std::int64_t value, Date to) const {
    double unit = 1;
    switch (component) {
        case Component::second: unit = 1; break;
        case Component::minute: unit = 60; break;
        case Component::hour: unit = 3600; break;
    }
    const double result = to.secondsSinceReferenceDate + static_cast<double>(value) * unit;
    if (!std::isfinite(result)) return std::nullopt;
    return Date{result};
}

}  // namespace foundation
