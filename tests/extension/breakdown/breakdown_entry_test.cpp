#include "extension/breakdown/breakdown_entry.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using brimlet_test::sameItems;
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
        {"letter case counts", disk({{work}}), "Work", wholeDisk},
        {"the earlier of two equal names", disk({{work, area("work", {{"later", 1}})}}), "work",
         workArea},
        {"decomposed name, precomposed area", disk({{area(kPrecomposed, kWork)}}), kDecomposed,
         Expected{kPrecomposed, kWork, kBinaries}},
        {"precomposed name, decomposed area", disk({{area(kDecomposed, kWork)}}), kPrecomposed,
         Expected{kDecomposed, kWork, kBinaries}},
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

}  // namespace
}  // namespace brimlet
