#include "platform/foundation/date.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <tuple>
#include <utility>

#include "platform/foundation/testing.h"
#include "tests/support/scratch.h"

namespace foundation {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(Iso8601, RoundsToTheMillisecondCountsForwardBeforeTheEpochAndKnowsLeapDays) {
    const std::pair<double, const char*> cases[] = {
        // seconds since the reference date
        {0.0004, "2001-01-01T00:00:00.000Z"},
        {0.0006, "2001-01-01T00:00:00.001Z"},
        {59.9996, "2001-01-01T00:01:00.000Z"},
        {-0.0006, "2000-12-31T23:59:59.999Z"},
        {-978307200.5, "1969-12-31T23:59:59.500Z"},
        {730902896.789, "2024-02-29T12:34:56.789Z"},
        {-26524800, "2000-02-29T00:00:00.000Z"},  // a 400-year leap day; 1900 has none
        {-3182198400 - 1, "1900-02-28T23:59:59.000Z"},
        {-3182198400, "1900-03-01T00:00:00.000Z"},
        {-63145526400, "0000-01-01T00:00:00.000Z"},
        {-63145526400 - 1, "invalid-date"},
        {252423993599, "9999-12-31T23:59:59.000Z"},
        {252423993600, "invalid-date"},
        {kNaN, "invalid-date"},
    };
    for (const auto& [seconds, text] : cases) {
        SCOPED_TRACE(::testing::Message() << "seconds " << seconds);
        EXPECT_EQ(iso8601(Date{seconds}), text);
    }
}

TEST(Date, UnixSecondsAreOffsetByTheReferenceDateAndNowReadsTheInnermostClock) {
    EXPECT_EQ(Date::fromUnixSeconds(978307200.0), Date{0});
    EXPECT_EQ(Date::fromUnixSeconds(-1.25).unixSeconds(), -1.25);
    EXPECT_GT(Date::now().secondsSinceReferenceDate, 725796000.0);  // the system clock: after 2024
    const testing::ScopedClock outer(Date{100});
    {
        const testing::ScopedClock inner(Date{200});
        EXPECT_EQ(Date::now(), Date{200});
    }
    EXPECT_EQ(Date::now(), Date{100});
}

TEST(Calendar, AddsAbsoluteSecondsPerComponentEvenAcrossDaylightSavingAndNoNonFiniteDate) {
    using C = Calendar::Component;
    constexpr std::int64_t kFar = std::numeric_limits<std::int64_t>::max();
    const brimlet_test::ScopedEnv tz("TZ", "Europe/Berlin");
    const std::tuple<C, std::int64_t, double, std::optional<double>> cases[] = {
        {C::second, -1, 0, -1},
        {C::hour, -24, 86400, 0},
        {C::hour, 2, -978307200.25, -978307200.25 + 7200},
        {C::minute, kFar, 0, static_cast<double>(kFar) * 60},  // about 5.5e20 s, still finite
        // 01:45 CET, when the clocks go forward at 02:00, and 02:45 CEST, when they go back.
        {C::minute, 30, 733538700, 733538700 + 1800},
        {C::minute, 30, 751682700, 751682700 + 1800},
        {C::second, 0, kNaN, std::nullopt},
        {C::hour, 1, kInf, std::nullopt},
    };
    for (const auto& [component, value, start, expected] : cases) {
        SCOPED_TRACE(::testing::Message() << "component " << static_cast<int>(component)
                                          << " value " << value << " start " << start);
        const auto result = Calendar::current().date(component, value, Date{start});
        EXPECT_EQ(result ? std::optional(result->secondsSinceReferenceDate) : std::nullopt,
                  expected);
    }
}

}  // namespace
}  // namespace foundation
