#include "extension/breakdown/breakdown_provider.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/testing.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using brimlet_test::Doc;
using foundation::Date;
using widgetkit::TimelineReloadPolicy;

// 2024-01-01T10:00:00Z.
constexpr Date kTenOClock{725796000};

widgetkit::TimelineProviderContext context(bool isPreview) {
    constexpr auto medium = widgetkit::WidgetFamily::systemMedium;
    return {
        .isPreview = isPreview, .family = medium, .displaySize = widgetkit::displaySize(medium)};
}

SelectAreaIntent intentFor(const std::optional<std::string>& areaId) {
    SelectAreaIntent intent;
    if (areaId) intent.area.wrappedValue = AreaEntity{*areaId};
    return intent;
}

class BreakdownProviderTest : public ::testing::Test {
protected:
    brimlet_test::SharedContainer container_;
    foundation::testing::ScopedClock clock_{kTenOClock};
    BreakdownProvider provider_;
};

// The gallery's snapshot and every placeholder show the sample; a desktop snapshot and every
// timeline (gallery too) show the document as stored at the time of the call, never a copy
// kept from an earlier one. Each request carries the configured entity's id as its area name.
TEST_F(BreakdownProviderTest, OnlyTheGallerysSnapshotAndPlaceholdersShowTheSample) {
    const std::optional<std::string> entities[] = {std::nullopt, "", "work", "gone"};
    int stored = 0;
    for (const std::string request : {"snapshot", "placeholder", "timeline"}) {
        for (const bool isPreview : {true, false}) {
            for (const auto& entity : entities) {
                SCOPED_TRACE(request + (isPreview ? " in the gallery, " : " on the desktop, ") +
                             entity.value_or("-"));
                container_.write(Doc().set("used", std::to_string(++stored)).str());
                const BreakdownEntry entry =
                    request == "placeholder" ? provider_.placeholder(context(isPreview))
                    : request == "snapshot"
                        ? provider_.snapshot(intentFor(entity), context(isPreview)).get()
                        : provider_.timeline(intentFor(entity), context(isPreview))
                              .get()
                              .entries.at(0);
                const bool reads = request == "timeline" || (request == "snapshot" && !isPreview);
                EXPECT_EQ(entry.date, kTenOClock);
                EXPECT_EQ(entry.snapshot.value().used,
                          reads ? stored : DiskSnapshot::preview().used);
                EXPECT_EQ(entry.areaName, request == "placeholder" ? std::nullopt : entity);
            }
        }
    }
}

// One entry at now, the next reload six hours on, both from one reading of a clock that moves;
// the same without a snapshot to read (every way a file can fail to read is the reader's test).
TEST_F(BreakdownProviderTest, TimelineHasOneEntryAtNowAndReloadsSixHoursLater) {
    double reading = kTenOClock.secondsSinceReferenceDate;
    foundation::testing::ScopedClock ticking([&] {
        reading += 7;
        return Date{reading - 7};
    });
    for (const bool stored : {true, false}) {
        SCOPED_TRACE(stored);
        stored ? container_.write(brimlet_test::exampleDocument()) : container_.remove();
        const double before = reading;
        const auto timeline = provider_.timeline(intentFor("work"), context(false)).get();
        ASSERT_EQ(timeline.entries.size(), 1u);
        EXPECT_EQ(timeline.entries[0].snapshot.has_value(), stored);
        EXPECT_EQ(timeline.entries[0].areaName, std::optional<std::string>("work"));
        EXPECT_EQ(timeline.entries[0].date, Date{before});
        ASSERT_EQ(timeline.policy.kind(), TimelineReloadPolicy::Kind::after);
        EXPECT_EQ(timeline.policy.date(), Date{before + 6 * 3600});
        EXPECT_EQ(provider_.snapshot(intentFor(""), context(false)).get().snapshot.has_value(),
                  stored);
    }
}

}  // namespace
}  // namespace brimlet
