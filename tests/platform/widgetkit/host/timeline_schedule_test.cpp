// Which entry shows, when the next one takes over, and when the provider is asked again.

#include "platform/widgetkit/host/timeline_schedule.h"

#include <gtest/gtest.h>

#include <limits>

#include "tests/platform/widgetkit/host/fake_widget.h"

namespace widgetkit::host {
namespace {

using testing::at;
using testing::entryAt;

TEST(ShowingEntry, LatestNotAfterNowAndTheFirstBeforeItsDate) {
    // Two entries share the date 200: the later one in the list takes over.
    const std::vector<AnyEntry> entries{entryAt(100), entryAt(200), entryAt(200), entryAt(300)};
    struct Case {
        double now;
        std::size_t showing;
        std::optional<double> next;
    };
    const Case kTestCases[] = {
        {50, 0, 200}, {100, 0, 200}, {199.999, 0, 200}, {200, 2, 300}, {300, 3, std::nullopt},
    };
    for (const auto& c : kTestCases) {
        SCOPED_TRACE(c.now);
        EXPECT_EQ(showingIndex(entries, at(c.now)), c.showing);
        const auto next = nextEntryDate(entries, at(c.now));
        ASSERT_EQ(next.has_value(), c.next.has_value());
        if (next) {
            EXPECT_EQ(next->secondsSinceReferenceDate, *c.next);
        }
    }
    EXPECT_EQ(showingIndex({}, at(0)), std::nullopt);
    EXPECT_EQ(nextEntryDate({}, at(0)), std::nullopt);
}

TEST(PolicyReload, EachKindHeldToTheFiveMinuteFloor) {
    constexpr double kReceived = 1000;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<AnyEntry> endsLater{entryAt(900), entryAt(5000)};
    const std::vector<AnyEntry> endedBefore{entryAt(800), entryAt(900)};
    struct Case {
        const char* name;
        TimelineReloadPolicy policy;
        std::vector<AnyEntry> entries;
        std::optional<double> previousRequest;
        std::optional<double> expected;
    };
    const Case kTestCases[] = {
        {"after, ahead", TimelineReloadPolicy::after(at(2000)), {}, std::nullopt, 2000},
        {"after, now", TimelineReloadPolicy::after(at(kReceived)), {}, std::nullopt, 1300},
        {"after, in the past", TimelineReloadPolicy::after(at(500)), {}, std::nullopt, 1300},
        {"after, NaN", TimelineReloadPolicy::after(at(nan)), {}, std::nullopt, 1300},
        {"after, minus infinity", TimelineReloadPolicy::after(at(-inf)), {}, std::nullopt, 1300},
        {"after, infinity", TimelineReloadPolicy::after(at(inf)), {}, std::nullopt, std::nullopt},
        {"after, soon after the previous request", TimelineReloadPolicy::after(at(1001)), {}, 900.0,
         1200},
        {"after, long after the previous request", TimelineReloadPolicy::after(at(2000)), {}, 500.0,
         2000},
        {"atEnd, last entry ahead", TimelineReloadPolicy::atEnd(), endsLater, std::nullopt, 5000},
        {"atEnd, last entry past", TimelineReloadPolicy::atEnd(), endedBefore, std::nullopt,
         1300},
        {"atEnd, no entry", TimelineReloadPolicy::atEnd(), {}, std::nullopt, 1300},
        {"atEnd, soon after the previous request", TimelineReloadPolicy::atEnd(),
         {entryAt(900), entryAt(1100)}, 999.0, 1299},
        {"never", TimelineReloadPolicy::never(), endsLater, 999.0, std::nullopt},
    };
    for (const auto& c : kTestCases) {
        SCOPED_TRACE(c.name);
        std::optional<foundation::Date> previous;
        if (c.previousRequest) previous = at(*c.previousRequest);
        const auto when = policyReloadDate(c.policy, c.entries, at(kReceived), previous);
        ASSERT_EQ(when.has_value(), c.expected.has_value());
        if (when) {
            EXPECT_EQ(when->secondsSinceReferenceDate, *c.expected);
        }
    }
}

}  // namespace
}  // namespace widgetkit::host
