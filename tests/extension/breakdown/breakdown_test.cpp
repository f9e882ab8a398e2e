// The breakdown widget's data: an entry's resolution to a title and lists, and the provider's
// entries and reload policy over the shared snapshot.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "extension/breakdown/breakdown_entry.h"
#include "extension/breakdown/breakdown_provider.h"
#include "platform/foundation/testing.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using brimlet_test::Doc;
using brimlet_test::sameItems;
using foundation::Date;
using widgetkit::TimelineReloadPolicy;
using Items = std::vector<DiskSnapshot::Item>;

// "é" precomposed (U+00E9) and decomposed (e + U+0301).
const std::string kPrecomposed = "caf\xC3\xA9";
const std::string kDecomposed = "cafe\xCC\x81";

// Unsorted, repeated and negative sizes, more than a list shows: resolution copies them as they
// are.
const Items kDiskFolders = {{"b", 1}, {"a", 50}, {"b", 1}, {"c", -3}, {"d", 0}, {"e", 7}, {"f", 9}};
const Items kDiskKinds = {{"Media", 42}};
const Items kWork = {{"larrow", 9}, {"mebbin-app", 6}};
const Items kBinaries = {{"Binaries", 12}};

// An area's total plays no part in resolution.
DiskSnapshot::Area area(std::string name, Items folders, Items kinds = kBinaries) {
    return {name, -1, folders, kinds};
}

DiskSnapshot disk(std::optional<std::vector<DiskSnapshot::Area>> areas,
                  std::optional<std::string> root = "code") {
    return {foundation::Date{0}, "Macintosh HD", 0.6,   556, 370, 926,
            kDiskFolders,        kDiskKinds,     areas, root};
}

struct Expected {
    std::string title;
    Items folders, kinds;
};

// No snapshot, nothing; an area matched by canonically equivalent name (the first of equal
// names), its name and lists; anything else, the whole disk under its root name (else the
// volume name).
TEST(BreakdownEntryResolution, AreaByEquivalentNameElseTheWholeDisk) {
    struct Case {
        const char* what;
        std::optional<DiskSnapshot> snapshot;
        std::optional<std::string> areaName;
        std::optional<Expected> expected;
    };
    const auto work = area("work", kWork);
    const Expected wholeDisk{"code", kDiskFolders, kDiskKinds}, workArea{"work", kWork, kBinaries};
    const std::vector<Case> cases = {
        {"no snapshot, an area", std::nullopt, "work", std::nullopt},
        {"no area: the root name titles the whole disk", disk({{work}}), std::nullopt, wholeDisk},
        {"no root name: the volume name", disk({{work}}, std::nullopt), std::nullopt,
         Expected{"Macintosh HD", kDiskFolders, kDiskKinds}},
        {"an empty root name is present", disk(std::nullopt, ""), "",
         Expected{"", kDiskFolders, kDiskKinds}},
        {"the whole-disk choice meets an area named \"\"",
         disk({{work, area("", {{"later", 1}}, {}), area("", kWork)}}), "",
         Expected{"", {{"later", 1}}, {}}},
        {"an area but no areas list", disk(std::nullopt), "work", wholeDisk},
        {"a matching area: its name and lists", disk({{area("other", {}), work}}), "work",
         workArea},
        {"the earlier of two equal names", disk({{work, area("work", {{"later", 1}})}}), "work",
         workArea},
        {"decomposed name, precomposed area", disk({{area(kPrecomposed, kWork)}}), kDecomposed,
         Expected{kPrecomposed, kWork, kBinaries}},
        {"more than the form differs", disk({{area(kPrecomposed, kWork)}}), "cafe", wholeDisk},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto actual = BreakdownEntry{foundation::Date{0}, c.snapshot, c.areaName}.resolved();
        ASSERT_EQ(actual.has_value(), c.expected.has_value());
        if (!actual) continue;
        EXPECT_EQ(actual->title, c.expected->title);
        EXPECT_TRUE(sameItems(actual->folders, c.expected->folders))
            << ::testing::PrintToString(actual->folders);
        EXPECT_TRUE(sameItems(actual->kinds, c.expected->kinds))
            << ::testing::PrintToString(actual->kinds);
    }
}

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
