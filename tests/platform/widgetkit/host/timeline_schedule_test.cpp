// Which entry shows, when the next one takes over, and when the provider is asked again.

#include "platform/widgetkit/host/timeline_schedule.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "tests/platform/widgetkit/host/fake_widget.h"

namespace widgetkit::host {
namespace {

using testing::at;
using testing::entryAt;
using testing::secondsOf;

TEST(ShowingEntry, LatestNotAfterNowAndTheFirstBeforeItsDate) {
    // Two entries share the date 200: the later one in the list takes over.
    const std::vector<AnyEntry> entries{entryAt(100), entryAt(200), entryAt(200), entryAt(300)};
    const std::tuple<double, std::size_t, std::optional<double>> cases[] = {
        {50, 0, 200}, {100, 0, 200}, {199.999, 0, 200}, {200, 2, 300}, {300, 3, std::nullopt},
    };
    for (const auto& [now, showing, next] : cases) {
        SCOPED_TRACE(now);
        EXPECT_EQ(showingIndex(entries, at(now)), showing);
        EXPECT_EQ(secondsOf(nextEntryDate(entries, at(now))), next);
    }
    EXPECT_EQ(showingIndex({}, at(0)), std::nullopt);
    EXPECT_EQ(nextEntryDate({}, at(0)), std::nullopt);
}

// A date at or before the answer, or NaN, waits five minutes; infinity is never reached; and
// no request follows the previous one by less than five minutes, whatever the policy.
TEST(PolicyReload, EachKindHeldToTheFiveMinuteFloor) {
    using P = TimelineReloadPolicy;
    constexpr double kReceived = 1000;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<AnyEntry> endsLater{entryAt(900), entryAt(5000)};
    using Seconds = std::optional<double>;
    // name, policy, entries, previous request, reload date
    const std::tuple<const char*, P, std::vector<AnyEntry>, Seconds, Seconds> cases[] = {
        {"after, ahead", P::after(at(2000)), {}, {}, 2000},
        {"after, now", P::after(at(kReceived)), {}, {}, 1300},
        {"after, NaN", P::after(at(nan)), {}, {}, 1300},
        {"after, infinity", P::after(at(inf)), {}, {}, {}},
        {"after, soon after the previous request", P::after(at(1001)), {}, 900, 1200},
        {"after, long after the previous request", P::after(at(2000)), {}, 500, 2000},
        {"atEnd, last entry ahead", P::atEnd(), endsLater, {}, 5000},
        {"atEnd, last entry past", P::atEnd(), {entryAt(800), entryAt(900)}, {}, 1300},
        {"atEnd, no entry", P::atEnd(), {}, {}, 1300},
        {"never", P::never(), endsLater, 999, {}},
    };
    for (const auto& [name, policy, entries, previousRequest, expected] : cases) {
        SCOPED_TRACE(name);
        const auto previous = previousRequest ? std::optional(at(*previousRequest)) : std::nullopt;
        EXPECT_EQ(secondsOf(policyReloadDate(policy, entries, at(kReceived), previous)), expected);
    }
}

}  // namespace
}  // namespace widgetkit::host
