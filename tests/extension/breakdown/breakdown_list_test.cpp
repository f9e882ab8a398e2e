#include "extension/breakdown/breakdown_list.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "platform/ui/testing/layout_queries.h"
#include "tests/extension/views/view_testing.h"

namespace brimlet {
namespace {

using brimlet_test::dump;
using brimlet_test::lay;
using brimlet_test::textContent;
using brimlet_test::textsIn;
using Item = DiskSnapshot::Item;
using Items = std::vector<Item>;
using Texts = std::vector<std::string>;

constexpr std::int64_t kGB = 1'000'000'000;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
// The medium and large tiles' content width: 364 less two 16-point margins.
constexpr double kContentWidth = 332;
// What a row leaves to its bar there: less the 96-point name, the 56-point size and two gaps.
constexpr double kBarWidth = kContentWidth - 96 - 56 - 2 * 8;

ui::LaidOutNode layList(const BreakdownList& list) {
    return lay(ui::View(list), ui::ProposedSize{kContentWidth, std::nullopt});
}

std::vector<double> fractionsOf(const std::vector<BarRow>& rows) {
    std::vector<double> out;
    for (const auto& row : rows) out.push_back(row.fraction);
    return out;
}

// One laid-out row, read back: the bar area's width and the fill capsule's width.
struct RowBars {
    double area = -1;
    double track = -1;
    double fill = -1;
};

std::vector<RowBars> barsOf(const ui::LaidOutNode& list) {
    std::vector<RowBars> out;
    for (const ui::LaidOutNode* row : ui::testing::findNodes(list, "BarRow")) {
        RowBars bars;
        if (const ui::LaidOutNode* reader = ui::testing::findNode(*row, "GeometryReader")) {
            bars.area = reader->frame.width;
        }
        const auto capsules = ui::testing::findNodes(*row, "Capsule");
        if (capsules.size() == 2) {
            bars.track = capsules[0]->frame.width;
            bars.fill = capsules[1]->frame.width;
        }
        out.push_back(bars);
    }
    return out;
}

TEST(BreakdownListScale, FractionsAgainstTheLargestSize) {
    struct Case {
        const char* what;
        Items items;
        std::vector<double> fractions;
    };
    const std::vector<Case> cases = {
        {"sorted, six items: the sixth is not shown",
         {{"a", 48 * kGB}, {"b", 31 * kGB}, {"c", 22 * kGB}, {"d", 18 * kGB}, {"e", 12 * kGB},
          {"f", 9 * kGB}},
         {1.0, 31.0 / 48.0, 22.0 / 48.0, 0.375, 0.25}},
        {"unsorted: the largest is the sixth, so no shown bar is full",
         {{"a", 10}, {"b", 20}, {"c", 40}, {"d", 30}, {"e", 50}, {"f", 100}},
         {0.1, 0.2, 0.4, 0.3, 0.5}},
        {"all zero: scale 1", {{"a", 0}, {"b", 0}, {"c", 0}}, {0, 0, 0}},
        {"a single item of one byte", {{"a", 1}}, {1.0}},
        {"a negative size alone: scale 1", {{"a", -5}}, {-5.0}},
        {"a negative size beside a positive one", {{"a", 8}, {"b", -2}}, {1.0, -0.25}},
        {"two equal names: two rows", {{"same", 4}, {"same", 2}}, {1.0, 0.5}},
        {"empty", {}, {}},
        {"the largest 64-bit size",
         {{"a", std::numeric_limits<std::int64_t>::max()}, {"b", 0}},
         {1.0, 0.0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto rows = BreakdownList{"Biggest folders", c.items}.rows();
        const std::vector<double> fractions = fractionsOf(rows);
        ASSERT_EQ(fractions.size(), c.fractions.size());
        for (std::size_t i = 0; i < fractions.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_DOUBLE_EQ(fractions[i], c.fractions[i]);
            EXPECT_EQ(rows[i].name, c.items[i].name);
            EXPECT_EQ(rows[i].size, c.items[i].size);
        }
    }
}

TEST(BarFillWidth, NeverLessThanFourPoints) {
    struct Case {
        const char* what;
        double available;
        double fraction;
        double width;
    };
    const std::vector<Case> cases = {
        {"full", 164, 1.0, 164},
        {"half", 164, 0.5, 82},
        {"exactly four", 8, 0.5, 4},
        {"just under four", 164, 3.9 / 164, 4},
        {"zero", 164, 0, 4},
        {"negative", 164, -5, 4},
        {"NaN fraction", 164, kNaN, 4},
        {"NaN width", kNaN, 0.5, 4},
        {"infinite width times zero", kInfinity, 0, 4},
        {"no width at all", 0, 1, 4},
        {"no upper clamp", 164, 1.5, 246},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(barFillWidth(c.available, c.fraction), c.width);
    }
}

TEST(BreakdownListLayout, BarsFillTheirShareOfTheRowWithAFourPointStub) {
    struct Case {
        const char* what;
        Items items;
        std::vector<double> fills;
    };
    const std::vector<Case> cases = {
        {"the preview's folders",
         {{"a", 48 * kGB}, {"b", 31 * kGB}, {"c", 22 * kGB}, {"d", 18 * kGB}, {"e", 12 * kGB},
          {"f", 9 * kGB}},
         {kBarWidth, kBarWidth * 31 / 48, kBarWidth * 22 / 48, kBarWidth * 0.375,
          kBarWidth * 0.25}},
        {"all zero", {{"a", 0}, {"b", 0}}, {4, 4}},
        {"a negative size", {{"a", -5}}, {4}},
        {"a tiny share", {{"a", 1000}, {"b", 1}}, {kBarWidth, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ui::LaidOutNode list = layList(BreakdownList{"Biggest folders", c.items});
        const auto bars = barsOf(list);
        ASSERT_EQ(bars.size(), c.fills.size()) << dump(list);
        for (std::size_t i = 0; i < bars.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_DOUBLE_EQ(bars[i].area, kBarWidth);
            EXPECT_DOUBLE_EQ(bars[i].track, kBarWidth);
            EXPECT_NEAR(bars[i].fill, c.fills[i], 1e-9);
        }
    }
}

TEST(BreakdownListLayout, RowsShowTheNameVerbatimAndTheSizeAsHumanBytes) {
    const ui::LaidOutNode list =
        layList(BreakdownList{"Biggest folders",
                              {{"%s%n", 48 * kGB}, {"same", -5}, {"same", 0}, {"%@", 1023}}});
    EXPECT_EQ(textsIn(list), (Texts{"BIGGEST FOLDERS", "%s%n", "44.7 GB", "same", "-5 B", "same",
                                    "0 B", "%@", "1023 B"}))
        << dump(list);
    EXPECT_EQ(ui::testing::findNodes(list, "BarRow").size(), 4u);
}

TEST(BreakdownListLayout, ALongNameKeepsBothEndsOnOneLineWithinNinetySixPoints) {
    const std::string name = "Photos-Library-" + std::string(40, 'x') + "-photoslibrary";
    const ui::LaidOutNode list = layList(BreakdownList{"Biggest folders", {{name, 1}}});
    const ui::LaidOutNode* node = nullptr;
    for (const ui::LaidOutNode* text : ui::testing::findNodes(list, "Text")) {
        if (textContent(*text).composed == name) node = text;
    }
    ASSERT_NE(node, nullptr) << dump(list);
    const ui::LaidOutText& text = textContent(*node);
    EXPECT_TRUE(text.truncated);
    ASSERT_EQ(text.lines.size(), 1u);
    const std::string& line = text.lines[0];
    const auto ellipsis = line.find("\xE2\x80\xA6");
    ASSERT_NE(ellipsis, std::string::npos) << line;
    EXPECT_EQ(line.substr(0, 6), "Photos") << line;
    EXPECT_EQ(line.substr(line.size() - 6), "ibrary") << line;
    EXPECT_LE(node->frame.width, 96.0);
}

TEST(BreakdownListLayout, CaptionIsInCapitalsWhateverTheLocale) {
    struct Case {
        const char* title;
        const char* shown;
    };
    const std::vector<Case> cases = {
        {"Biggest folders", "BIGGEST FOLDERS"},
        {"By kind", "BY KIND"},
        {"stra\xC3\x9F" "e", "STRASSE"},
        {"istanbul", "ISTANBUL"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        const ui::LaidOutNode list = layList(BreakdownList{c.title, {}});
        EXPECT_EQ(textsIn(list), Texts{c.shown});
        EXPECT_EQ(ui::testing::findNode(list, "BarRow"), nullptr);
        const ui::LaidOutNode* caption = ui::testing::findNode(list, "Text");
        ASSERT_NE(caption, nullptr);
        EXPECT_EQ(textContent(*caption).font, ui::Font::system(9, ui::Font::Weight::semibold));
        EXPECT_EQ(textContent(*caption).tracking, 0.5);
    }
}

TEST(BreakdownListLayout, RowsSitFivePointsApartBelowTheCaption) {
    const ui::LaidOutNode list =
        layList(BreakdownList{"Biggest folders", {{"a", 3}, {"b", 2}, {"c", 1}}});
    ASSERT_EQ(list.type, "BreakdownList");
    const ui::LaidOutNode* stack = ui::testing::findNode(list, "VStack");
    ASSERT_NE(stack, nullptr);
    const ui::LaidOutNode* caption = ui::testing::findNode(list, "Text");
    ASSERT_NE(caption, nullptr);
    std::vector<ui::Rect> frames{caption->frame};
    for (const ui::LaidOutNode* row : ui::testing::findNodes(list, "BarRow")) frames.push_back(row->frame);
    ASSERT_EQ(frames.size(), 4u);
    for (std::size_t i = 1; i < frames.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(frames[i].y - frames[i - 1].maxY(), 5.0, 1e-9);
        // Every row spans the width the list is offered.
        EXPECT_DOUBLE_EQ(frames[i].width, kContentWidth);
    }
}

}  // namespace
}  // namespace brimlet
