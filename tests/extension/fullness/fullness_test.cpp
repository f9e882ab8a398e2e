// The fullness widget's data: the volume arithmetic and probe through the volume-query seam (the
// live query is foundation's, checked against df there), and the provider's entries and reload
// policy.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "extension/fullness/low_space.h"
#include "extension/fullness/provider.h"
#include "extension/fullness/volume_sample.h"
#include "platform/foundation/testing.h"
#include "platform/foundation/volume.h"
#include "tests/support/scratch.h"

namespace brimlet {
namespace {

using foundation::Date;
using foundation::VolumeFigures;
using widgetkit::Timeline;
using widgetkit::TimelineProviderContext;
using widgetkit::TimelineReloadPolicy;

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

// The fixed placeholder values, written out rather than taken from VolumeSample::placeholder().
const VolumeSample kPlaceholder{0.62, 620'000'000'000, 380'000'000'000, 1'000'000'000'000,
                                "Macintosh HD"};

// A sample's fields, for comparing and printing; the fraction must be exactly the expected double.
auto fields(const VolumeSample& s) {
    return std::tuple(s.usedFraction, s.used, s.free, s.total, s.volumeName);
}

TEST(ProbeVolume, OneQueryOfTheHomeAndArithmeticThatNeverWrapsOrDividesByZero) {
    const brimlet_test::ScopedEnv home("HOME", "/srv/some/home");
    constexpr auto none = std::nullopt;
    using F = VolumeFigures;
    struct Case {
        const char* what;
        std::optional<VolumeFigures> figures;  // nullopt: the query fails
        VolumeSample expected;
    };
    const Case cases[] = {
        {"query fails", none, kPlaceholder},
        {"total absent", F{none, 200, 100, "Data"}, kPlaceholder},
        {"total 0", F{0, 0, 0, "Data"}, kPlaceholder},
        {"total 1, no available figure", F{1, none, none, "Data"}, {1.0, 1, 0, 1, "Data"}},
        {"important usage preferred", F{1000, 900, 250, "Data"}, {0.75, 750, 250, 1000, "Data"}},
        {"important usage 0 is present", F{1000, 900, 0, "Data"}, {1.0, 1000, 0, 1000, "Data"}},
        {"plain available", F{1000, 200, none, "Data"}, {0.8, 800, 200, 1000, "Data"}},
        {"free above total: used 0", F{1000, 5000, none, "Data"}, {0.0, 0, 5000, 1000, "Data"}},
        {"name absent", F{1000, 250, none, none}, {0.75, 750, 250, 1000, "Disk"}},
        {"name empty stays empty", F{1000, 250, none, ""}, {0.75, 750, 250, 1000, ""}},
        // Overflow hardening: total − free saturates rather than wrapping.
        {"negative free", F{1000, -1, none, "Data"}, {1.0, 1001, -1, 1000, "Data"}},
        {"negative free, top total", F{kMax, -1, none, "Data"}, {1.0, kMax, -1, kMax, "Data"}},
        {"INT64_MIN free", F{1000, kMin, none, "Data"}, {1.0, kMax, kMin, 1000, "Data"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> paths;
        const foundation::testing::ScopedVolumeQuery seam([&](const std::string& path) {
            paths.push_back(path);
            return c.figures;
        });
        EXPECT_EQ(fields(probeVolume()), fields(c.expected));
        EXPECT_EQ(paths, std::vector<std::string>{"/srv/some/home"});
    }
}

// ---- The provider, with the clock and the volume query replaced.

// 2024-01-01T10:00:00Z.
constexpr Date kTenOClock{725796000};
const VolumeSample kLive{0.8, 800, 200, 1000, "Data"};

// The one value an operation delivers: each one completes exactly once.
template <class T, class Operation>
T onlyDelivery(Operation operation) {
    std::vector<T> delivered;
    operation([&](T value) { delivered.push_back(std::move(value)); });
    EXPECT_EQ(delivered.size(), 1u);
    return delivered.at(0);
}

class ProviderTest : public ::testing::Test {
protected:
    std::optional<VolumeFigures> figures_ = VolumeFigures{1000, 200, std::nullopt, "Data"};
    Date now_ = kTenOClock;
    int probes_ = 0;
    Provider provider_;

private:
    foundation::testing::ScopedClock clock_{[this] { return now_; }};
    // No shared container, so no published fill estimate: the notifications read as without one.
    foundation::testing::ScopedContainerRoot container_{""};
    foundation::testing::ScopedVolumeQuery query_{[this](const std::string&) {
        ++probes_;
        return figures_;
    }};
};

// Every timeline and every desktop snapshot measures again (no cache); the gallery's snapshot
// and the placeholder never measure.
TEST_F(ProviderTest, TimelinesAndDesktopSnapshotsProbeEveryTimeTheRestShowThePlaceholder) {
    const std::tuple<const char*, double, bool, bool> cases[] = {
        {"desktop", 0, false, false},
        {"gallery: probes too", 0, true, false},
        {"failed probe: the placeholder", 0, false, true},
        {"non-finite now: reloads at now", HUGE_VAL, false, false},
    };
    for (const auto& [what, offset, isPreview, probeFails] : cases) {
        SCOPED_TRACE(what);
        now_ = Date{kTenOClock.secondsSinceReferenceDate + offset};
        figures_ = VolumeFigures{1000, 200, std::nullopt, "Data"};
        if (probeFails) figures_.reset();
        const int before = probes_;
        const auto t = onlyDelivery<Timeline<DiskEntry>>(
            [&](auto done) { provider_.getTimeline(TimelineProviderContext{isPreview}, done); });
        EXPECT_EQ(probes_, before + 1);
        ASSERT_EQ(t.entries.size(), 1u);
        EXPECT_EQ(t.entries[0].date, now_);
        EXPECT_EQ(fields(t.entries[0].sample), fields(probeFails ? kPlaceholder : kLive));
        ASSERT_EQ(t.policy.kind(), TimelineReloadPolicy::Kind::after);
        EXPECT_EQ(t.policy.date().secondsSinceReferenceDate, now_.secondsSinceReferenceDate + 1800);
        const auto snapshot = onlyDelivery<DiskEntry>(
            [&](auto done) { provider_.getSnapshot(TimelineProviderContext{isPreview}, done); });
        const auto placeholder = provider_.placeholder(TimelineProviderContext{isPreview});
        EXPECT_EQ(probes_, before + (isPreview ? 1 : 2));
        EXPECT_EQ(std::tuple(snapshot.date, placeholder.date), std::tuple(now_, now_));
        EXPECT_EQ(fields(snapshot.sample), fields(isPreview || probeFails ? kPlaceholder : kLive));
        EXPECT_EQ(fields(placeholder.sample), fields(kPlaceholder));
    }
}

// Through the provider and the platform's centre: one request per crossing into the red band
// from below (the first reading in it counts), per volume; a failed probe (the placeholder) is
// no reading at all.
TEST_F(ProviderTest, LowSpaceAsksForOneNotificationForEachCrossingFromBelow) {
    std::vector<widgetkit::NotificationRequest> sent;
    widgetkit::UserNotificationCenter::current().setDelivery(
        [&sent](widgetkit::NotificationRequest r) { sent.push_back(std::move(r)); });
    // {total, free, volume (empty: the probe fails), whether a request follows}
    const std::tuple<std::int64_t, std::int64_t, const char*, bool> kReadings[]{
        {1000, 50, "Low", true},   {1000, 30, "Low", false},  {1000, 0, "", false},
        {1000, 101, "Low", false}, {1000, 100, "Low", true},  {1000, 10, "Low", false},
        {1000, 50, "Other", true}, {1000, 500, "Low", false}, {1000, 90, "Low", true},
    };
    for (const auto& [total, free, volume, expected] : kReadings) {
        SCOPED_TRACE(std::string(volume) + " " + std::to_string(free));
        figures_ = VolumeFigures{total, free, std::nullopt, volume};
        if (std::string(volume).empty()) figures_.reset();
        sent.clear();
        onlyDelivery<Timeline<DiskEntry>>(
            [&](auto done) { provider_.getTimeline(TimelineProviderContext{}, done); });
        ASSERT_EQ(sent.size(), expected ? 1u : 0u);
        if (expected) {
            EXPECT_EQ(sent[0].identifier, "low-space");
            EXPECT_EQ(sent[0].title, "Disk almost full");
            EXPECT_EQ(sent[0].body, std::to_string(free) + " B free on " + volume + ".");
        }
    }
    widgetkit::UserNotificationCenter::current().setDelivery({});
}

// The body's size is humanBytes's; without a name there is no "on". The estimate rides on it in
// whole days, rounded to the nearest; under half a day it is "less than a day"; one day is
// singular.
TEST(LowSpaceText, SizeVolumeAndTheFillEstimateInWholeDays) {
    EXPECT_EQ(lowSpaceText(VolumeSample{0.95, 0, -5, 0, ""}), "-5 B free.");
    constexpr double kDay = 86400;
    const VolumeSample home{0.95, 0, 1024, 0, "Home"};
    const std::tuple<std::optional<double>, const char*> cases[]{
        {std::nullopt, ""},
        {0.5 * kDay - 1, " At this rate it is full in less than a day."},
        {0.5 * kDay, " At this rate it is full in about 1 day."},
        {1.5 * kDay - 1, " At this rate it is full in about 1 day."},
        {1.5 * kDay, " At this rate it is full in about 2 days."},
        {1e30, " At this rate it is full in about 1000000000000000 days."},
    };
    for (const auto& [seconds, estimate] : cases) {
        SCOPED_TRACE(seconds.value_or(-1));
        EXPECT_EQ(lowSpaceText(home, seconds), std::string("1.0 KB free on Home.") + estimate);
    }
}

// Only a fresh estimate of the sample's own volume, whose day is still ahead, counts.
TEST(SecondsUntilFull, OnlyAFreshEstimateOfTheSameVolumeStillAhead) {
    constexpr double kDay = 86400, kNow = 700000000;
    const VolumeSample home{0.95, 950, 50, 1000, "Home"};
    const FillEstimate fresh{Date{kNow - kDay}, "Home", 1000, Date{kNow + 3 * kDay}};
    const auto with = [&](auto change) {
        FillEstimate e = fresh;
        change(e);
        return std::optional(e);
    };
    const std::tuple<const char*, std::optional<FillEstimate>, std::optional<double>> cases[]{
        {"fresh", fresh, 3 * kDay},
        {"none published", std::nullopt, std::nullopt},
        {"no day", with([](FillEstimate& e) { e.fullAt.reset(); }), std::nullopt},
        {"other name", with([](FillEstimate& e) { e.volumeName = "Data"; }), std::nullopt},
        {"other size", with([](FillEstimate& e) { e.total = 999; }), std::nullopt},
        {"a week old", with([&](FillEstimate& e) { e.madeAt = Date{kNow - 7 * kDay}; }), 3 * kDay},
        {"older", with([&](FillEstimate& e) { e.madeAt = Date{kNow - 7 * kDay - 1}; }),
         std::nullopt},
        {"made later", with([&](FillEstimate& e) { e.madeAt = Date{kNow + 1}; }), std::nullopt},
        {"day now", with([&](FillEstimate& e) { e.fullAt = Date{kNow}; }), std::nullopt},
        {"day NaN", with([](FillEstimate& e) { e.fullAt = Date{std::nan("")}; }), std::nullopt},
    };
    for (const auto& [name, estimate, seconds] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(secondsUntilFull(estimate, home, Date{kNow}), seconds);
    }
}

// The published estimate is read only when a notification is due, and its days reach the body.
TEST(LowSpaceRule, ReadsTheEstimateOnlyForTheNotification) {
    constexpr double kNow = 700000000;
    const foundation::testing::ScopedClock clock(Date{kNow});
    int reads = 0;
    const auto published = [&reads] {
        ++reads;
        return std::optional(FillEstimate{Date{kNow}, "Home", 1000, Date{kNow + 12 * 86400.0}});
    };
    LowSpaceRule rule;
    // {used fraction, free, reads so far, the body asked for}
    const std::tuple<double, std::int64_t, int, const char*> readings[]{
        {0.5, 500, 0, nullptr},
        {0.95, 50, 1, "50 B free on Home. At this rate it is full in about 12 days."},
        {0.96, 40, 1, nullptr},
    };
    for (const auto& [fraction, free, expectedReads, body] : readings) {
        SCOPED_TRACE(free);
        const auto request =
            rule.note(VolumeSample{fraction, 1000 - free, free, 1000, "Home"}, published);
        EXPECT_EQ(reads, expectedReads);
        ASSERT_EQ(request.has_value(), body != nullptr);
        if (body != nullptr) {
            EXPECT_EQ(request->body, body);
        }
    }
}

TEST(DiskEntryJson, WritesTheDateAndEveryField) {
    foundation::JsonWriter json;
    writeEntryJson(json, DiskEntry{Date{0}, VolumeSample{0.75, 750, 250, 1000, "Data \"A\""}});
    EXPECT_EQ(json.result(), R"({"date":"2001-01-01T00:00:00.000Z","sample":{"usedFraction":0.75,)"
                             R"("used":750,"free":250,"total":1000,"volumeName":"Data \"A\""}})");
}

}  // namespace
}  // namespace brimlet
