#include "extension/fullness/provider.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ctime>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/json_writer.h"
#include "platform/foundation/testing.h"
#include "tests/extension/fullness/sample_matchers.h"
#include "tests/support/scratch.h"

namespace brimlet {
namespace {

using foundation::Date;
using widgetkit::Timeline;
using widgetkit::TimelineProviderContext;
using widgetkit::TimelineReloadPolicy;

// 2024-01-01T10:00:00Z.
constexpr Date kTenOClock{725796000};

TimelineProviderContext context(bool isPreview) {
    TimelineProviderContext c;
    c.isPreview = isPreview;
    return c;
}

// Replaces the clock and the volume query, and counts the queries.
class ProviderTest : public ::testing::Test {
protected:
    std::optional<foundation::VolumeFigures> figures_ =
        foundation::VolumeFigures{1000, 200, std::nullopt, "Data"};
    int probes_ = 0;

    Timeline<DiskEntry> timeline(bool isPreview = false) {
        std::vector<Timeline<DiskEntry>> delivered;
        provider_.getTimeline(context(isPreview),
                              [&](Timeline<DiskEntry> t) { delivered.push_back(std::move(t)); });
        EXPECT_EQ(delivered.size(), 1u) << "the completion must be called exactly once";
        if (delivered.empty()) return {{}, TimelineReloadPolicy::never()};
        return delivered.front();
    }

    DiskEntry snapshot(bool isPreview) {
        std::vector<DiskEntry> delivered;
        provider_.getSnapshot(context(isPreview), [&](DiskEntry e) { delivered.push_back(std::move(e)); });
        EXPECT_EQ(delivered.size(), 1u) << "the completion must be called exactly once";
        if (delivered.empty()) return DiskEntry{Date{-1}, VolumeSample{}};
        return delivered.front();
    }

    Provider provider_;

private:
    foundation::testing::ScopedClock clock_{kTenOClock};
    foundation::testing::ScopedVolumeQuery query_{[this](const std::string&) {
        ++probes_;
        return figures_;
    }};
};

TEST_F(ProviderTest, TimelineHasOneEntryNowAndReloadsThirtyMinutesLater) {
    const auto t = timeline();
    EXPECT_EQ(probes_, 1);
    ASSERT_EQ(t.entries.size(), 1u);
    EXPECT_EQ(t.entries[0].date, kTenOClock);
    EXPECT_THAT(t.entries[0].sample, SampleIs(0.8, 800, 200, 1000, "Data"));
    ASSERT_EQ(t.policy.kind(), TimelineReloadPolicy::Kind::after);
    EXPECT_EQ(t.policy.date().secondsSinceReferenceDate - kTenOClock.secondsSinceReferenceDate, 1800.0);
    EXPECT_EQ(foundation::iso8601(t.policy.date()), "2024-01-01T10:30:00.000Z");
}

TEST_F(ProviderTest, EveryTimelineRequestProbesAgainEvenInTheGallery) {
    EXPECT_THAT(timeline(/*isPreview=*/true).entries.at(0).sample, SampleIs(0.8, 800, 200, 1000, "Data"));
    figures_ = foundation::VolumeFigures{1000, 500, std::nullopt, "Data"};
    EXPECT_THAT(timeline().entries.at(0).sample, SampleIs(0.5, 500, 500, 1000, "Data"));
    EXPECT_EQ(probes_, 2);
}

TEST_F(ProviderTest, FailedProbeStillGetsThePlaceholderAndTheThirtyMinutePolicy) {
    figures_ = std::nullopt;
    const auto t = timeline();
    EXPECT_EQ(probes_, 1);
    ASSERT_EQ(t.entries.size(), 1u);
    EXPECT_EQ(t.entries[0].date, kTenOClock);
    EXPECT_THAT(t.entries[0].sample, IsPlaceholderSample());
    ASSERT_EQ(t.policy.kind(), TimelineReloadPolicy::Kind::after);
    EXPECT_EQ(t.policy.date(), Date{kTenOClock.secondsSinceReferenceDate + 1800});
}

TEST_F(ProviderTest, PlaceholderIsNowWithThePlaceholderSampleAndNeverProbes) {
    for (const bool isPreview : {false, true}) {
        SCOPED_TRACE(isPreview ? "gallery" : "desktop");
        const DiskEntry entry = provider_.placeholder(context(isPreview));
        EXPECT_EQ(entry.date, kTenOClock);
        EXPECT_THAT(entry.sample, IsPlaceholderSample());
    }
    EXPECT_EQ(probes_, 0);
}

TEST_F(ProviderTest, GallerySnapshotNeverProbesDesktopSnapshotProbesOnceInEveryFamily) {
    const DiskEntry gallery = snapshot(/*isPreview=*/true);
    EXPECT_EQ(probes_, 0);
    EXPECT_EQ(gallery.date, kTenOClock);
    EXPECT_THAT(gallery.sample, IsPlaceholderSample());
    int expectedProbes = 0;
    for (const auto family : widgetkit::kAllWidgetFamilies) {
        TimelineProviderContext c;
        c.family = family;
        c.displaySize = widgetkit::displaySize(family);
        std::vector<DiskEntry> entries;
        provider_.getSnapshot(c, [&](DiskEntry e) { entries.push_back(std::move(e)); });
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(probes_, ++expectedProbes);
        EXPECT_EQ(entries[0].date, kTenOClock);
        EXPECT_THAT(entries[0].sample, SampleIs(0.8, 800, 200, 1000, "Data"));
    }
    // Zero capacity is a failed probe.
    figures_ = foundation::VolumeFigures{0, 200, std::nullopt, "Data"};
    EXPECT_THAT(snapshot(/*isPreview=*/false).sample, IsPlaceholderSample());
}

// The zone's offset at `date`, in seconds east of UTC.
long utcOffset(Date date) {
    const auto t = static_cast<std::time_t>(date.unixSeconds());
    std::tm local{};
    ::localtime_r(&t, &local);
    return local.tm_gmtoff;
}

TEST_F(ProviderTest, ThirtyMinutesAreExactAcrossDaylightSavingChanges) {
    const brimlet_test::ScopedEnv tz("TZ", "Europe/Berlin");
    struct Case {
        const char* what;
        double now;
        long offsetBefore, offsetAfter;
    };
    const Case cases[] = {
        // 2024-03-31T00:45Z = 01:45 CET; the clocks jump from 02:00 to 03:00.
        {"spring forward", 733538700, 3600, 7200},
        // 2024-10-27T00:45Z = 02:45 CEST; the clocks fall back from 03:00 to 02:00.
        {"fall back", 751682700, 7200, 3600},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // The zone really changes inside the half hour; without time zone data this would
        // silently test UTC.
        ASSERT_EQ(utcOffset(Date{c.now}), c.offsetBefore);
        ASSERT_EQ(utcOffset(Date{c.now + 1800}), c.offsetAfter);

        const foundation::testing::ScopedClock clock(Date{c.now});
        const auto t = timeline();
        ASSERT_EQ(t.entries.size(), 1u);
        EXPECT_EQ(t.entries[0].date, Date{c.now});
        ASSERT_EQ(t.policy.kind(), TimelineReloadPolicy::Kind::after);
        EXPECT_EQ(t.policy.date().secondsSinceReferenceDate - c.now, 1800.0);
    }
    EXPECT_EQ(probes_, 2);
}

TEST_F(ProviderTest, NonFiniteNowReloadsAtNow) {
    const Date never{std::numeric_limits<double>::infinity()};
    const foundation::testing::ScopedClock clock(never);
    const auto t = timeline();
    ASSERT_EQ(t.policy.kind(), TimelineReloadPolicy::Kind::after);
    EXPECT_EQ(t.policy.date(), never);
}

TEST(DiskEntryJson, WritesTheDateAndEveryField) {
    foundation::JsonWriter json;
    writeEntryJson(json, DiskEntry{Date{0}, VolumeSample{0.75, 750, 250, 1000, "Data \"A\""}});
    EXPECT_EQ(json.result(),
              R"({"date":"2001-01-01T00:00:00.000Z","sample":{"usedFraction":0.75,"used":750,)"
              R"("free":250,"total":1000,"volumeName":"Data \"A\""}})");
}

}  // namespace
}  // namespace brimlet
