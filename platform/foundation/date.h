#pragma once
// Instants and calendar arithmetic.
//
// A Date is a point in time held as double seconds since the reference date
// 2001-01-01T00:00:00 UTC (negative before it; 1970-01-01T00:00:00 UTC is -978307200).
// A double keeps stored instants exact when they round-trip through JSON.

#include <cstdint>
#include <optional>
#include <string>

namespace foundation {

struct Date {
    // Seconds relative to 2001-01-01T00:00:00 UTC.
    double secondsSinceReferenceDate = 0;

    // Seconds between the Unix epoch and the reference date.
    static constexpr double kUnixEpochOffset = 978307200.0;

    // The current instant from the process clock; a test may replace the clock
    // (foundation::testing::ScopedClock).
    static Date now();

    static constexpr Date fromUnixSeconds(double s) { return Date{s - kUnixEpochOffset}; }
    constexpr double unixSeconds() const { return secondsSinceReferenceDate + kUnixEpochOffset; }

    friend constexpr bool operator==(Date, Date) = default;
    // NOLINTNEXTLINE(modernize-use-nullptr): clang-tidy 14 misreads the synthesized 0
    friend constexpr auto operator<=>(Date, Date) = default;
};

// "2024-01-01T10:00:00.000Z": ISO-8601 in UTC with milliseconds (rounded to the nearest). A
// non-finite date, or one outside years 0000..9999, is written as "invalid-date".
std::string iso8601(Date date);

// The calendar that adds components to dates. Minutes and hours are absolute spans (60 s and
// 3600 s), so adding them never depends on the time zone or a daylight-saving change.
class Calendar {
public:
    enum class Component { second, minute, hour };

    // The machine's calendar. There is one calendar on this platform; the value exists so that
    // call sites read as they do on the platform this code stands in for.
    static Calendar current() { return {}; }

    // `to` plus `value` units of `component`, or nullopt when the result is not finite.
    std::optional<Date> date(Component component, std::int64_t value, Date to) const;
};

}  // namespace foundation
