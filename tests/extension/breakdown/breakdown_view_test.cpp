#include "extension/breakdown/breakdown_view.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/extension/views/view_testing.h"

namespace brimlet {
namespace {

using namespace brimlet_test;
using widgetkit::WidgetFamily;
using Items = std::vector<DiskSnapshot::Item>;

constexpr WidgetFamily kBothFamilies[] = {WidgetFamily::systemMedium, WidgetFamily::systemLarge};

ui::View viewOf(std::optional<DiskSnapshot> snapshot,
                std::optional<std::string> areaName = std::nullopt) {
    return ui::View(
        BreakdownView{BreakdownEntry{foundation::Date{0}, std::move(snapshot), std::move(areaName)}});
}

DiskSnapshot snapshotWith(Items folders, Items kinds) {
    return DiskSnapshot{foundation::Date{0}, "Macintosh HD", 0.6, 556, 370'000'000'000, 926,
                        std::move(folders),  std::move(kinds), std::nullopt, "code"};
}

// More rows than are shown, long names and the widest sizes, in both lists.
DiskSnapshot crowded() {
    Items items;
    for (int i = 0; i < 8; ++i) {
        items.push_back({std::string(i % 2 ? 3 : 40, char('a' + i)) + "-end", 1'099'400'000'000 - i});
    }
    return snapshotWith(items, items);
}

// Medium's stack is taller than its content area by the gap before its closing spacer, so its
// five rows reach into the margins; there the bound is the tile's edge.
ui::Rect bound(WidgetFamily family) {
    if (family != WidgetFamily::systemMedium) return contentArea(family);
    const widgetkit::DisplaySize s = widgetkit::displaySize(family);
    return ui::Rect{0, 0, s.width, s.height};
}

std::string nameOf(WidgetFamily family) { return std::string(widgetkit::familyName(family)); }

TEST(BreakdownView, EmptyStateCentredOverTheListsBackgroundWhenThereIsNothingToList) {
    DiskSnapshot areaWithoutFolders = snapshotWith({{"a", 1}}, {{"k", 1}});
    areaWithoutFolders.areas = std::vector<DiskSnapshot::Area>{{"work", 5, {}, {{"Binaries", 4}}}};
    struct Case {
        const char* what;
        std::optional<DiskSnapshot> snapshot;
        std::optional<std::string> areaName;
    };
    const std::vector<Case> cases = {
        {"no snapshot, an area configured", std::nullopt, "work"},
        {"no folders although kinds are present", snapshotWith({}, {{"Media", 42}}), std::nullopt},
        {"a pinned area without folders", areaWithoutFolders, "work"},
    };
    for (const auto& c : cases) {
        for (const auto family : kBothFamilies) {
            SCOPED_TRACE(std::string(c.what) + ", " + nameOf(family));
            const auto tile = layTile(viewOf(c.snapshot, c.areaName), family);
            EXPECT_EQ(textsIn(tile.content),
                      (Texts{"Open Brimlet to scan", "Your biggest folders will show here."}))
                << dump(tile);
            EXPECT_EQ(findNode(tile.content, "FullnessRing"), nullptr);
            const ui::LaidOutNode* prompt = findText(tile.content, "Open Brimlet to scan");
            ASSERT_NE(prompt, nullptr);
            EXPECT_NEAR(prompt->frame.midX(), tile.size.width / 2, 1e-9);
            expectInside(tile.content, bound(family));
            const auto full = layTile(viewOf(DiskSnapshot::preview()), family);
            ASSERT_TRUE(tile.containerBackground && full.containerBackground);
            EXPECT_EQ(ui::toJson(*tile.containerBackground), ui::toJson(*full.containerBackground));
        }
    }
}

// A header (title, free space), the folders, and in large only the kinds after a divider.
TEST(BreakdownView, ShowsTheResolvedTitleAndListsForTheFamily) {
    const Texts header = {"code", "344.6 GB free", "BIGGEST FOLDERS"};
    const Texts folders = {"node_modules", "44.7 GB", "Photos Library", "28.9 GB", "Downloads",
                           "20.5 GB",      "Library", "16.8 GB",        "Movies",  "11.2 GB"};
    const Texts kinds = {"BY KIND", "Media",   "39.1 GB", "Code & dev", "35.4 GB",
                         "Images",  "23.3 GB", "Archives", "8.4 GB"};
    const auto join = [](std::vector<Texts> parts) {
        Texts out;
        for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    struct Case {
        WidgetFamily family;
        std::optional<std::string> areaName;
        Texts texts;
    };
    const std::vector<Case> cases = {
        {WidgetFamily::systemMedium, std::nullopt, join({header, folders})},
        {WidgetFamily::systemSmall, std::nullopt, join({header, folders})},
        {WidgetFamily::systemMedium, "work",
         {"work", "344.6 GB free", "BIGGEST FOLDERS", "larrow", "8.4 GB", "mebbin-app", "5.6 GB"}},
        {WidgetFamily::systemLarge, std::nullopt, join({header, folders, kinds})},
        {WidgetFamily::systemLarge, "gone", join({header, folders, kinds})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(nameOf(c.family) + " " + c.areaName.value_or("<no area>"));
        const auto tile = layTile(viewOf(DiskSnapshot::preview(), c.areaName), c.family);
        EXPECT_EQ(textsIn(tile.content), c.texts) << dump(tile);
        const auto lists = findNodes(tile.content, "BreakdownList");
        const auto dividers = findNodes(tile.content, "Divider");
        ASSERT_EQ(dividers.size(), lists.size() - 1);
        if (!dividers.empty()) {
            EXPECT_GT(dividers[0]->frame.y, lists[0]->frame.maxY());
            EXPECT_LT(dividers[0]->frame.maxY(), lists[1]->frame.y);
            EXPECT_DOUBLE_EQ(dividers[0]->frame.width, contentArea(c.family).width);
        }
    }
    const auto noKinds = layTile(viewOf(snapshotWith({{"a", 2}}, {})), WidgetFamily::systemLarge);
    EXPECT_EQ(textsIn(noKinds.content), (Texts{"code", "344.6 GB free", "BIGGEST FOLDERS", "a", "2 B"}));
    EXPECT_EQ(findNode(noKinds.content, "Divider"), nullptr);
}

// However many, however long: five rows a list, whose name, bar and size columns line up from
// row to row (across both lists), with names cut in the middle inside their column, sizes
// whole, the bar the widest column, and nothing out of the content area.
TEST(BreakdownView, RowsLineUpInColumnsAndFitTheTile) {
    for (const auto family : kBothFamilies) {
        for (const auto& snapshot : {DiskSnapshot::preview(), crowded()}) {
            SCOPED_TRACE(nameOf(family) + ", " + snapshot.topFolders[0].name);
            const auto tile = layTile(viewOf(snapshot), family);
            expectInside(tile.content, bound(family));
            const auto lists = findNodes(tile.content, "BreakdownList");
            for (std::size_t i = 0; i < lists.size(); ++i) {
                const auto& items = i == 0 ? snapshot.topFolders : snapshot.topKinds;
                EXPECT_EQ(findNodes(*lists[i], "BarRow").size(), std::min<std::size_t>(items.size(), 5));
            }
            const auto rows = findNodes(tile.content, "BarRow");
            ASSERT_FALSE(rows.empty()) << dump(tile);
            const auto columns = [](const ui::LaidOutNode* row) { return row->children.at(0).children; };
            const auto first = columns(rows[0]);
            ASSERT_EQ(first.size(), 3u);
            EXPECT_GT(first[1].frame.width, first[0].frame.width);
            EXPECT_GT(first[1].frame.width, first[2].frame.width);
            for (const ui::LaidOutNode* row : rows) {
                const auto cells = columns(row);
                ASSERT_EQ(cells.size(), 3u);
                for (std::size_t i = 0; i < 3; ++i) {
                    EXPECT_DOUBLE_EQ(cells[i].frame.x, first[i].frame.x) << i << dump(tile);
                    EXPECT_DOUBLE_EQ(cells[i].frame.width, first[i].frame.width) << i;
                    if (i > 0) { EXPECT_GE(cells[i].frame.x, cells[i - 1].frame.maxX()); }
                }
                const ui::LaidOutNode* name = findNode(cells[0], "Text");
                const ui::LaidOutNode* size = findNode(cells[2], "Text");
                ASSERT_TRUE(name != nullptr && size != nullptr);
                EXPECT_TRUE(contains(cells[0].frame, name->frame));
                EXPECT_DOUBLE_EQ(name->frame.x, cells[0].frame.x);
                EXPECT_DOUBLE_EQ(size->frame.maxX(), cells[2].frame.maxX());
                EXPECT_FALSE(textContent(*size).truncated) << textContent(*size).composed;
                if (textContent(*name).composed.size() > 20) expectCutInTheMiddle(*name);
                const auto capsules = findNodes(cells[1], "Capsule");
                ASSERT_EQ(capsules.size(), 2u);
                for (const ui::LaidOutNode* capsule : capsules) {
                    EXPECT_DOUBLE_EQ(capsule->frame.midY(), cells[1].frame.midY());
                    EXPECT_DOUBLE_EQ(capsule->frame.x, cells[1].frame.x);
                    EXPECT_EQ(capsule->frame.height, capsules[0]->frame.height);
                }
                EXPECT_TRUE(capsules[1]->accentable && !capsules[0]->accentable);
            }
        }
    }
}

// The header's ring is a small gauge of the used fraction, without text, beside the title, whose
// long form is cut in the middle on one line.
TEST(BreakdownView, TheHeaderRingGaugesTheDiskBesideATitleCutInTheMiddle) {
    const std::string title = "Start-of-a-very-long-area-name" + std::string(60, 'x') + "and-its-end";
    DiskSnapshot s = snapshotWith({{"a", 1}}, {});
    s.areas = std::vector<DiskSnapshot::Area>{{title, 1, {{"a", 1}}, {}}};
    for (const auto family : kBothFamilies) {
        SCOPED_TRACE(nameOf(family));
        const auto tile = layTile(viewOf(s, title), family);
        expectInside(tile.content, bound(family));
        const ui::LaidOutNode* ring = findNode(tile.content, "FullnessRing");
        const ui::LaidOutNode* node = findText(tile.content, title);
        const ui::LaidOutNode* free = findText(tile.content, "344.6 GB free");
        ASSERT_TRUE(ring != nullptr && node != nullptr && free != nullptr) << dump(tile);
        EXPECT_TRUE(textsIn(*ring).empty());
        EXPECT_EQ(std::get<ui::LaidOutShape>(findNodes(*ring, "Circle").at(1)->content).trimTo, 0.6);
        EXPECT_GE(node->frame.x, ring->frame.maxX());
        EXPECT_LE(ring->frame.height, free->frame.maxY() - node->frame.y + 1e-9);
        EXPECT_GE(ring->frame.maxY(), free->frame.y);
        expectCutInTheMiddle(*node);
    }
}

}  // namespace
}  // namespace brimlet
