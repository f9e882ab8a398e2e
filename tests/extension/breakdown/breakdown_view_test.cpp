#include "extension/breakdown/breakdown_view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "extension/breakdown/breakdown_list.h"
#include "tests/extension/views/view_testing.h"
#include "tests/support/hostile_names.h"

namespace brimlet {
namespace {

using namespace brimlet_test;
using widgetkit::WidgetFamily;
using Items = std::vector<DiskSnapshot::Item>;

constexpr std::int64_t kGB = 1'000'000'000;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The first five items, each against the largest size of all (at least one byte).
TEST(BreakdownListRows, FirstFiveAgainstTheLargestSize) {
    struct Case {
        Items items;
        std::vector<double> fractions;
    };
    const Case cases[] = {
        {{{"a", 10}, {"b", 20}, {"c", 40}, {"d", 30}, {"e", 50}, {"f", 100}},
         {0.1, 0.2, 0.4, 0.3, 0.5}},
        {{{"a", 0}, {"b", 0}}, {0, 0}},
        {{{"a", -5}}, {-5.0}},
        {{{"a", std::numeric_limits<std::int64_t>::max()}, {"b", 0}}, {1.0, 0.0}},
    };
    for (const auto& c : cases) {
        const auto rows = BreakdownList{"Biggest folders", c.items}.rows();
        ASSERT_EQ(rows.size(), c.fractions.size()) << c.items[0].size;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_DOUBLE_EQ(rows[i].fraction, c.fractions[i]) << c.items[0].size << " " << i;
            EXPECT_EQ(rows[i].size, c.items[i].size);
        }
    }
}

// `!(w >= 4)` catches NaN, which std::max would pass through; there is no upper clamp.
TEST(BarFillWidth, NeverLessThanFourPointsNorNaN) {
    const double cases[][3] = {{164, 0.5, 82}, {8, 0.5, 4},    {164, 3.9 / 164, 4}, {164, -5, 4},
                               {164, kNaN, 4}, {kNaN, 0.5, 4}, {164, 1.5, 246}};
    for (const auto& [available, fraction, width] : cases) {
        EXPECT_EQ(barFillWidth(available, fraction), width) << available << " " << fraction;
    }
}

// The caption in capitals whatever the locale, then a row per item: its name verbatim (never a
// format), a bar filled to its share of the track, its size in human bytes.
TEST(BreakdownListLayout, RowsShowNameBarAndSizeUnderACapitalCaption) {
    const BreakdownList list{"stra\u00DFe istanbul",
                             {{"%s%n", 48 * kGB}, {"%@", -5}, {"b", 1023}, {"b", 1}}};
    const ui::LaidOutNode laid =
        ui::layout(ui::View(list), ui::ProposedSize{332.0, std::nullopt}, fixedMeasurer());
    EXPECT_EQ(textsIn(laid), (Texts{"STRASSE ISTANBUL", "%s%n", "44.7 GB", "%@", "-5 B", "b",
                                    "1023 B", "b", "1 B"}));
    const auto rows = list.rows();
    const auto rowNodes = findNodes(laid, "BarRow");
    ASSERT_EQ(rowNodes.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto capsules = findNodes(*rowNodes[i], "Capsule");
        ASSERT_EQ(capsules.size(), 2u);
        EXPECT_GT(capsules[0]->frame.width, 0.0);
        EXPECT_DOUBLE_EQ(capsules[1]->frame.width,
                         barFillWidth(capsules[0]->frame.width, rows[i].fraction));
    }
}

constexpr WidgetFamily kBothFamilies[] = {WidgetFamily::systemMedium, WidgetFamily::systemLarge};

ui::LaidOutTile layBreakdown(std::optional<DiskSnapshot> s, std::optional<std::string> area,
                             WidgetFamily family) {
    return layTile(
        ui::View(BreakdownView{BreakdownEntry{foundation::Date{0}, std::move(s), std::move(area)}}),
        family);
}

DiskSnapshot snapshotWith(Items folders, Items kinds, std::optional<std::string> area = {}) {
    DiskSnapshot s{foundation::Date{0}, "Macintosh HD",   0.6,          556,   370'000'000'000, 926,
                   std::move(folders),  std::move(kinds), std::nullopt, "code"};
    if (area) s.areas = std::vector<DiskSnapshot::Area>{{*area, 5, {}, {{"Binaries", 4}}}};
    return s;
}

// Medium's stack is taller than its content area by the gap before its closing spacer, so its
// five rows reach into the margins; there the bound is the tile's edge.
ui::Rect bound(WidgetFamily family) {
    return contentArea(
        family, family == WidgetFamily::systemMedium ? 0 : ui::TileLayoutOptions{}.contentMargin);
}

TEST(BreakdownView, EmptyStateCentredOverTheListsBackgroundWhenThereIsNothingToList) {
    const std::vector<std::pair<std::optional<DiskSnapshot>, std::optional<std::string>>> cases = {
        {std::nullopt, "work"},                                  // no snapshot
        {snapshotWith({}, {{"Media", 42}}), std::nullopt},       // kinds but no folders
        {snapshotWith({{"a", 1}}, {{"k", 1}}, "work"), "work"},  // a pinned area without folders
    };
    for (const auto& [snapshot, area] : cases) {
        for (const auto family : kBothFamilies) {
            SCOPED_TRACE(std::string(widgetkit::familyName(family)) + " " + area.value_or("-"));
            const auto tile = layBreakdown(snapshot, area, family);
            EXPECT_EQ(textsIn(tile.content),
                      (Texts{"Open Brimlet to scan", "Your biggest folders will show here."}));
            const ui::LaidOutNode* prompt = findText(tile.content, "Open Brimlet to scan");
            EXPECT_NEAR(prompt ? prompt->frame.midX() : 0, tile.size.width / 2, 1e-9);
            expectInside(tile.content, bound(family));
            const auto full = layBreakdown(DiskSnapshot::preview(), std::nullopt, family);
            EXPECT_EQ(ui::toJson(tile.containerBackground.value()),
                      ui::toJson(full.containerBackground.value()));
        }
    }
}

// A header (title, free space), the folders, and in large only the kinds after a divider.
TEST(BreakdownView, ShowsTheResolvedTitleAndListsForTheFamily) {
    const Texts folders = {"code",    "344.6 GB free",  "BIGGEST FOLDERS", "node_modules",
                           "44.7 GB", "Photos Library", "28.9 GB",         "Downloads",
                           "20.5 GB", "Library",        "16.8 GB",         "Movies",
                           "11.2 GB"};
    const Texts kinds = {"BY KIND", "Media",   "39.1 GB",  "Code & dev", "35.4 GB",
                         "Images",  "23.3 GB", "Archives", "8.4 GB"};
    const std::tuple<WidgetFamily, std::optional<std::string>, Texts> cases[] = {
        {WidgetFamily::systemMedium, std::nullopt, folders},
        {WidgetFamily::systemMedium,
         "work",
         {"work", "344.6 GB free", "BIGGEST FOLDERS", "larrow", "8.4 GB", "mebbin-app", "5.6 GB"}},
        {WidgetFamily::systemLarge, std::nullopt, {}},
    };
    for (const auto& [family, area, texts] : cases) {
        SCOPED_TRACE(std::string(widgetkit::familyName(family)) + " " + area.value_or("-"));
        const auto tile = layBreakdown(DiskSnapshot::preview(), area, family);
        Texts expected = texts.empty() ? folders : texts;
        if (texts.empty()) expected.insert(expected.end(), kinds.begin(), kinds.end());
        EXPECT_EQ(textsIn(tile.content), expected) << dump(tile);
        const auto lists = findNodes(tile.content, "BreakdownList");
        const auto dividers = findNodes(tile.content, "Divider");
        ASSERT_EQ(dividers.size() + 1, lists.size());
        for (const ui::LaidOutNode* divider : dividers) {
            EXPECT_TRUE(divider->frame.y > lists[0]->frame.maxY() &&
                        divider->frame.maxY() < lists[1]->frame.y &&
                        divider->frame.width == contentArea(family).width);
        }
    }
    const auto noKinds =
        layBreakdown(snapshotWith({{"a", 2}}, {}), std::nullopt, WidgetFamily::systemLarge);
    EXPECT_EQ(textsIn(noKinds.content),
              (Texts{"code", "344.6 GB free", "BIGGEST FOLDERS", "a", "2 B"}));
    EXPECT_EQ(findNode(noKinds.content, "Divider"), nullptr);
}

// However many, however long: rows whose name, bar and size columns line up from
// row to row (across both lists), with names cut in the middle inside their column, sizes
// whole, the bar the widest column, and nothing out of the tile. The header's ring gauges the
// disk without text beside the title, which is cut in the middle on one line.
TEST(BreakdownView, RowsLineUpInColumnsAndFitTheTile) {
    Items crowded;  // long and short names, the widest sizes, more than are shown
    for (int i = 0; i < 8; ++i) {
        crowded.push_back(
            {std::string(i % 2 ? 3 : 40, char('a' + i)) + "-end", 1'099'400'000'000 - i});
    }
    DiskSnapshot longTitle = snapshotWith(crowded, crowded);
    longTitle.rootName = "Start-of-a-very-long-area-name" + std::string(60, 'x') + "and-its-end";
    for (const auto family : kBothFamilies) {
        for (const auto& snapshot : {DiskSnapshot::preview(), longTitle}) {
            SCOPED_TRACE(std::string(widgetkit::familyName(family)) + " " + *snapshot.rootName);
            const auto tile = layBreakdown(snapshot, std::nullopt, family);
            expectInside(tile.content, bound(family));
            const ui::LaidOutNode* ring = findNode(tile.content, "FullnessRing");
            const ui::LaidOutNode* title = findText(tile.content, *snapshot.rootName);
            const ui::LaidOutNode* free = findText(tile.content, "344.6 GB free");
            ASSERT_TRUE(ring != nullptr && title != nullptr && free != nullptr) << dump(tile);
            EXPECT_TRUE(textsIn(*ring).empty());
            EXPECT_EQ(std::get<ui::LaidOutShape>(findNodes(*ring, "Circle").at(1)->content).trimTo,
                      0.6);
            EXPECT_GE(title->frame.x, ring->frame.maxX());
            EXPECT_TRUE(ring->frame.y <= free->frame.maxY() &&
                        ring->frame.maxY() >= title->frame.y);
            if (snapshot.rootName->size() > 20) expectCutInTheMiddle(*title);
            const auto rows = findNodes(tile.content, "BarRow");
            ASSERT_FALSE(rows.empty()) << dump(tile);
            const auto& first = rows[0]->children.at(0).children;
            ASSERT_EQ(first.size(), 3u);
            EXPECT_GT(first[1].frame.width, std::max(first[0].frame.width, first[2].frame.width));
            for (const ui::LaidOutNode* row : rows) {
                const auto& cells = row->children.at(0).children;
                ASSERT_EQ(cells.size(), 3u);
                for (std::size_t i = 0; i < 3; ++i) {
                    EXPECT_TRUE(cells[i].frame.x == first[i].frame.x &&
                                cells[i].frame.width == first[i].frame.width &&
                                cells[i].frame.x >= (i > 0 ? cells[i - 1].frame.maxX() : 0.0))
                        << i << dump(tile);
                }
                const ui::LaidOutNode* name = findNode(cells[0], "Text");
                const ui::LaidOutNode* size = findNode(cells[2], "Text");
                ASSERT_TRUE(name != nullptr && size != nullptr);
                EXPECT_TRUE(contains(cells[0].frame, name->frame) &&
                            name->frame.x == cells[0].frame.x);
                EXPECT_NEAR(size->frame.maxX(), cells[2].frame.maxX(), 1e-9);
                EXPECT_FALSE(textContent(*size).truncated) << textContent(*size).composed;
                if (textContent(*name).composed.size() > 20) expectCutInTheMiddle(*name);
                const auto capsules = findNodes(cells[1], "Capsule");
                EXPECT_TRUE(capsules.size() == 2 && capsules[1]->accentable &&
                            !capsules[0]->accentable);
            }
        }
    }
}

// Folder names with bidirectional formatting, controls and a newline: each name is drawn on its
// one line without them (controls as their symbols), and nothing laid out holds any of them. How
// each such character is drawn is the text layer's test; this one holds that the view's names
// and title go through it.
TEST(BreakdownView, HostileNamesAreDrawnWithoutFormattingOrControls) {
    const std::pair<std::string, std::string> names[] = {
        {"bidi\u202Egnp.exe", "bidignp.exe"},
        {"two\nlines", "two\u240Alines"},
        {"x\x1B]0;PWNED\x07", "x\u241B]0;PWNED\u2407"},
    };
    Items folders;
    for (const auto& [name, drawn] : names) folders.push_back({name, 1000 - std::ssize(folders)});
    DiskSnapshot snapshot = snapshotWith(folders, {{"Media", 1}});
    snapshot.rootName = "root\u2067\n";
    const auto tile = layBreakdown(snapshot, std::nullopt, WidgetFamily::systemLarge);
    for (const auto& [name, drawn] : names) {
        SCOPED_TRACE(::testing::PrintToString(drawn));
        const ui::LaidOutNode* text = findText(tile.content, drawn);
        ASSERT_NE(text, nullptr) << dump(tile);
        EXPECT_EQ(textContent(*text).lines, Texts{drawn});
    }
    EXPECT_NE(findText(tile.content, "root\u240A"), nullptr);
    // The layout JSON, which holds every text as composed and as lines, would escape a control
    // with a backslash; its only raw control bytes are the newlines between members.
    std::string json = dump(tile);
    EXPECT_EQ(json.find('\\'), std::string::npos) << json;
    std::erase(json, '\n');
    EXPECT_TRUE(inert(json)) << json;
}

}  // namespace
}  // namespace brimlet
