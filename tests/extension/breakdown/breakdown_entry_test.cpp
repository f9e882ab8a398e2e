#include "extension/breakdown/breakdown_entry.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using brimlet_test::sameItems;
using Item = DiskSnapshot::Item;
using Items = std::vector<Item>;

// "é" precomposed (U+00E9) and decomposed (e + U+0301).
const std::string kPrecomposed = "caf\xC3\xA9";
const std::string kDecomposed = "cafe\xCC\x81";

const Items kDiskFolders = {{"node_modules", 48}, {"Downloads", 22}};
const Items kDiskKinds = {{"Media", 42}};

DiskSnapshot::Area area(std::string name, Items folders, Items kinds = {{"Binaries", 12}}) {
    return DiskSnapshot::Area{std::move(name), 999, std::move(folders), std::move(kinds)};
}

DiskSnapshot disk(std::optional<std::vector<DiskSnapshot::Area>> areas,
                  std::optional<std::string> rootName) {
    return DiskSnapshot{foundation::Date{0}, "Macintosh HD", 0.6, 556, 370, 926,
                        kDiskFolders,        kDiskKinds,     std::move(areas),
                        std::move(rootName)};
}

std::optional<BreakdownEntry::Resolved> resolve(std::optional<DiskSnapshot> snapshot,
                                                std::optional<std::string> areaName) {
    return BreakdownEntry{foundation::Date{0}, std::move(snapshot), std::move(areaName)}.resolved();
}

// What a resolution should give, written out.
struct Expected {
    std::string title;
    Items folders;
    Items kinds;
};

void expectResolved(const std::optional<BreakdownEntry::Resolved>& actual,
                    const std::optional<Expected>& expected) {
    ASSERT_EQ(actual.has_value(), expected.has_value());
    if (!actual) return;
    EXPECT_EQ(actual->title, expected->title);
    EXPECT_TRUE(sameItems(actual->folders, expected->folders))
        << ::testing::PrintToString(actual->folders);
    EXPECT_TRUE(sameItems(actual->kinds, expected->kinds))
        << ::testing::PrintToString(actual->kinds);
}

const Expected kWholeDiskCode{"code", kDiskFolders, kDiskKinds};
const Expected kWholeDiskVolume{"Macintosh HD", kDiskFolders, kDiskKinds};
const Items kWorkFolders = {{"larrow", 9}, {"mebbin-app", 6}};
const Items kSecondWorkFolders = {{"later", 1}};

TEST(BreakdownEntryResolution, EdgeCases) {
    struct Case {
        const char* what;
        std::optional<DiskSnapshot> snapshot;
        std::optional<std::string> areaName;
        std::optional<Expected> expected;
    };
    const auto work = area("work", kWorkFolders);
    const std::vector<Case> cases = {
        {"no snapshot, no area", std::nullopt, std::nullopt, std::nullopt},
        {"no snapshot, an area", std::nullopt, "work", std::nullopt},
        {"no snapshot, the whole-disk choice", std::nullopt, "", std::nullopt},
        {"no area: the root name titles the whole disk", disk({{work}}, "code"), std::nullopt,
         kWholeDiskCode},
        {"no area and no root name: the volume name", disk({{work}}, std::nullopt), std::nullopt,
         kWholeDiskVolume},
        {"an empty root name is present: an empty title", disk(std::nullopt, ""), std::nullopt,
         Expected{"", kDiskFolders, kDiskKinds}},
        {"the whole-disk choice", disk({{work}}, "code"), "", kWholeDiskCode},
        {"the whole-disk choice meets an area named \"\"",
         disk({{work, area("", kSecondWorkFolders, {}), area("", {{"third", 3}})}}, "code"), "",
         Expected{"", kSecondWorkFolders, {}}},
        {"an area but no areas list", disk(std::nullopt, "code"), "work", kWholeDiskCode},
        {"an area but an empty areas list", disk(std::vector<DiskSnapshot::Area>{}, "code"), "work",
         kWholeDiskCode},
        {"a matching area: its name and lists", disk({{area("other", {}), work}}, "code"), "work",
         Expected{"work", kWorkFolders, {{"Binaries", 12}}}},
        {"letter case counts", disk({{work}}, "code"), "Work", kWholeDiskCode},
        {"spaces count", disk({{work}}, "code"), "work ", kWholeDiskCode},
        {"a vanished area falls back to the whole disk", disk({{work}}, "code"), "gone",
         kWholeDiskCode},
        {"the earlier of two equal names wins",
         disk({{work, area("work", kSecondWorkFolders)}}, "code"), "work",
         Expected{"work", kWorkFolders, {{"Binaries", 12}}}},
        {"a matched area without folders keeps its empty list",
         disk({{area("work", {}, {{"Binaries", 12}})}}, "code"), "work",
         Expected{"work", {}, {{"Binaries", 12}}}},
        {"decomposed identifier, precomposed area", disk({{area(kPrecomposed, kWorkFolders)}}, "code"),
         kDecomposed, Expected{kPrecomposed, kWorkFolders, {{"Binaries", 12}}}},
        {"precomposed identifier, decomposed area", disk({{area(kDecomposed, kWorkFolders)}}, "code"),
         kPrecomposed, Expected{kDecomposed, kWorkFolders, {{"Binaries", 12}}}},
        {"a name differing by more than its form does not match",
         disk({{area(kPrecomposed, kWorkFolders)}}, "code"), "cafe", kWholeDiskCode},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        expectResolved(resolve(c.snapshot, c.areaName), c.expected);
    }
}

TEST(BreakdownEntryResolution, ListsAreCopiedWholeWithoutSortingOrCutting) {
    const Items many = {{"b", 1}, {"a", 50}, {"b", 1}, {"c", -3}, {"d", 0}, {"e", 7}, {"f", 9}};
    DiskSnapshot s = disk(std::nullopt, "code");
    s.topFolders = many;
    s.topKinds = {};
    expectResolved(resolve(s, std::nullopt), Expected{"code", many, {}});
}

TEST(BreakdownEntryResolution, TheAreasTotalPlaysNoPart) {
    auto work = area("work", kWorkFolders);
    work.total = -1;
    expectResolved(resolve(disk({{work}}, "code"), "work"),
                   Expected{"work", kWorkFolders, {{"Binaries", 12}}});
}

TEST(BreakdownEntryResolution, ThePreviewSample) {
    const Items folders = {{"node_modules", 48'000'000'000},
                           {"Photos Library", 31'000'000'000},
                           {"Downloads", 22'000'000'000},
                           {"Library", 18'000'000'000},
                           {"Movies", 12'000'000'000}};
    const Items kinds = {{"Media", 42'000'000'000},
                         {"Code & dev", 38'000'000'000},
                         {"Images", 25'000'000'000},
                         {"Archives", 9'000'000'000}};
    const Expected wholeDisk{"code", folders, kinds};
    const Expected work{"work",
                        {{"larrow", 9'000'000'000}, {"mebbin-app", 6'000'000'000}},
                        {{"Binaries", 12'000'000'000}, {"Code & dev", 6'000'000'000}}};
    struct Case {
        const char* what;
        std::optional<std::string> areaName;
        Expected expected;
    };
    const std::vector<Case> cases = {
        {"no area", std::nullopt, wholeDisk},
        {"the whole-disk choice", "", wholeDisk},
        {"work", "work", work},
        {"any other name", "Downloads", wholeDisk},
        {"the root name is no area", "code", wholeDisk},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        expectResolved(resolve(DiskSnapshot::preview(), c.areaName), c.expected);
    }
}

}  // namespace
}  // namespace brimlet
