#include "platform/foundation/date.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "platform/foundation/testing.h"
#include "tests/support/scratch.h"

namespace foundation {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(Iso8601, WritesUtcWithRoundedMilliseconds) {
    struct Case {
        double seconds;  // since the reference date
        const char* text;
    };
    const Case cases[] = {
        {0, "2001-01-01T00:00:00.000Z"},
        {-978307200, "1970-01-01T00:00:00.000Z"},
        {1, "2001-01-01T00:00:01.000Z"},
        {86399, "2001-01-01T23:59:59.000Z"},
        {725796000, "2024-01-01T10:00:00.000Z"},
        // Milliseconds round to the nearest, carrying into the seconds and beyond.
        {0.0004, "2001-01-01T00:00:00.000Z"},
        {0.0006, "2001-01-01T00:00:00.001Z"},
        {0.123, "2001-01-01T00:00:00.123Z"},
        {0.9996, "2001-01-01T00:00:01.000Z"},
        {59.9996, "2001-01-01T00:01:00.000Z"},
        {-0.0004, "2001-01-01T00:00:00.000Z"},
        // Before the reference date and before 1970 the fields still count forwards.
        {-0.001, "2000-12-31T23:59:59.999Z"},
        {-0.0006, "2000-12-31T23:59:59.999Z"},
        {-978307201, "1969-12-31T23:59:59.000Z"},
        {-978307200.5, "1969-12-31T23:59:59.500Z"},
        {-978307200 - 86400.0 * 365, "1969-01-01T00:00:00.000Z"},
        // Leap days: an ordinary leap year, a 400-year one, and 1900, which has none.
        {730902896.789, "2024-02-29T12:34:56.789Z"},
        {730944000, "2024-03-01T00:00:00.000Z"},
        {-26524800, "2000-02-29T00:00:00.000Z"},
        {-3182198400, "1900-03-01T00:00:00.000Z"},
        {-3182198400 - 1, "1900-02-28T23:59:59.000Z"},
        // The range of four-digit years.
        {-63145526400, "0000-01-01T00:00:00.000Z"},
        {252423993599, "9999-12-31T23:59:59.000Z"},
        {-63145526400 - 1, "invalid-date"},
        {252423993600, "invalid-date"},
        {1e300, "invalid-date"},
        {-1e300, "invalid-date"},
        {kNaN, "invalid-date"},
        {kInf, "invalid-date"},
        {-kInf, "invalid-date"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "seconds " << c.seconds);
        EXPECT_EQ(iso8601(Date{c.seconds}), c.text);
    }
}

TEST(Date, UnixSecondsRoundTripThroughTheReferenceOffset) {
    for (const double unix : {0.0, 978307200.0, 1704103200.5, -1.25}) {
        SCOPED_TRACE(unix);
        EXPECT_EQ(Date::fromUnixSeconds(unix).unixSeconds(), unix);
    }
    EXPECT_EQ(Date::fromUnixSeconds(978307200.0), Date{0});
}

TEST(Date, NowReadsTheClockSeamAndFallsBackToTheSystemClock) {
    {
        const testing::ScopedClock outer(Date{100});
        EXPECT_EQ(Date::now(), Date{100});
        {
            const testing::ScopedClock inner(Date{200});
            EXPECT_EQ(Date::now(), Date{200});
        }
        EXPECT_EQ(Date::now(), Date{100});
    }
    // Without an override: some instant after this code was written (2024) and finite.
    const Date live = Date::now();
    EXPECT_TRUE(std::isfinite(live.secondsSinceReferenceDate));
    EXPECT_GT(live.secondsSinceReferenceDate, 725796000.0);
}

TEST(Calendar, AddsAbsoluteSecondsPerComponent) {
    using C = Calendar::Component;
    struct Case {
        C component;
        std::int64_t value;
        double start;
        double expected;
    };
    const Case cases[] = {
        {C::second, 1, 0, 1},
        {C::second, -1, 0, -1},
        {C::minute, 30, 725796000, 725797800},
        {C::minute, -30, 0, -1800},
        {C::minute, 0, 12.5, 12.5},
        {C::hour, 1, 0, 3600},
        {C::hour, -24, 86400, 0},
        {C::hour, 2, -978307200.25, -978307200.25 + 7200},
        // Far values stay finite: about 5.5e20 s.
        {C::minute, std::numeric_limits<std::int64_t>::max(), 0,
         static_cast<double>(std::numeric_limits<std::int64_t>::max()) * 60},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "component " << static_cast<int>(c.component) << " value "
                                        << c.value << " start " << c.start);
        const auto result = Calendar::current().date(c.component, c.value, Date{c.start});
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->secondsSinceReferenceDate, c.expected);
    }
}

TEST(Calendar, MinutesIgnoreDaylightSavingChanges) {
    const brimlet_test::ScopedEnv tz("TZ", "Europe/Berlin");
    // 2024-03-31T00:45Z is 01:45 CET; half an hour later the clocks read 03:15 CEST. 2024-10-27T00:45Z
    // is 02:45 CEST; half an hour later they read 02:15 CET.
    for (const double start : {733538700.0, 751682700.0}) {
        SCOPED_TRACE(iso8601(Date{start}));
        const auto result = Calendar::current().date(Calendar::Component::minute, 30, Date{start});
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->secondsSinceReferenceDate - start, 1800.0);
    }
}

TEST(Calendar, NonFiniteResultIsNullopt) {
    using C = Calendar::Component;
    for (const double start : {kInf, -kInf, kNaN}) {
        for (const C component : {C::second, C::minute, C::hour}) {
            SCOPED_TRACE(::testing::Message() << "start " << start << " component "
                                            << static_cast<int>(component));
            EXPECT_FALSE(Calendar::current().date(component, 1, Date{start}).has_value());
            EXPECT_FALSE(Calendar::current().date(component, 0, Date{start}).has_value());
        }
    }
}

}  // namespace
}  // namespace foundation
