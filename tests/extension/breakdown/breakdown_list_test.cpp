#include "extension/breakdown/breakdown_list.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "tests/extension/views/view_testing.h"

namespace brimlet {
namespace {

using namespace brimlet_test;
using Items = std::vector<DiskSnapshot::Item>;

constexpr std::int64_t kGB = 1'000'000'000;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Laid out at the width a medium or large tile gives its content.
ui::LaidOutNode layList(const BreakdownList& list) {
    return lay(ui::View(list), ui::ProposedSize{contentArea(widgetkit::WidgetFamily::systemMedium).width,
                                                std::nullopt});
}

// The first five items, each against the largest size of all (at least one byte).
TEST(BreakdownListRows, FirstFiveAgainstTheLargestSize) {
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
        {"all zero: scale 1", {{"a", 0}, {"b", 0}}, {0, 0}},
        {"a negative size alone: scale 1", {{"a", -5}}, {-5.0}},
        {"the largest 64-bit size", {{"a", std::numeric_limits<std::int64_t>::max()}, {"b", 0}},
         {1.0, 0.0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto rows = BreakdownList{"Biggest folders", c.items}.rows();
        ASSERT_EQ(rows.size(), c.fractions.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_DOUBLE_EQ(rows[i].fraction, c.fractions[i]) << i;
            EXPECT_EQ(rows[i].size, c.items[i].size) << i;
        }
    }
}

// `!(w >= 4)` catches NaN, which std::max would pass through; there is no upper clamp.
TEST(BarFillWidth, NeverLessThanFourPointsNorNaN) {
    struct Case {
        double available;
        double fraction;
        double width;
    };
    const Case cases[] = {{164, 0.5, 82},  {8, 0.5, 4},     {164, 3.9 / 164, 4}, {164, -5, 4},
                          {164, kNaN, 4}, {kNaN, 0.5, 4},  {kInfinity, 0, 4},   {164, 1.5, 246}};
    for (const auto& c : cases) {
        EXPECT_EQ(barFillWidth(c.available, c.fraction), c.width) << c.available << " " << c.fraction;
    }
}

// The caption in capitals whatever the locale, then a row per item: its name verbatim (never a
// format), a bar filled to its share of the track, its size in human bytes.
TEST(BreakdownListLayout, RowsShowNameBarAndSizeUnderACapitalCaption) {
    struct Case {
        const char* title;
        Items items;
        Texts texts;
    };
    const std::vector<Case> cases = {
        {"Biggest folders", {{"%s%n", 48 * kGB}, {"same", -5}, {"same", 0}, {"%@", 1023}},
         {"BIGGEST FOLDERS", "%s%n", "44.7 GB", "same", "-5 B", "same", "0 B", "%@", "1023 B"}},
        {"stra\xC3\x9F" "e", {{"a", 1000}, {"b", 1}}, {"STRASSE", "a", "1000 B", "b", "1 B"}},
        {"istanbul", {}, {"ISTANBUL"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        const ui::LaidOutNode list = layList(BreakdownList{c.title, c.items});
        EXPECT_EQ(textsIn(list), c.texts);
        const auto rows = BreakdownList{c.title, c.items}.rows();
        const auto rowNodes = findNodes(list, "BarRow");
        ASSERT_EQ(rowNodes.size(), rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const auto capsules = findNodes(*rowNodes[i], "Capsule");
            ASSERT_EQ(capsules.size(), 2u);
            EXPECT_GT(capsules[0]->frame.width, 0.0);
            EXPECT_NEAR(capsules[1]->frame.width,
                        barFillWidth(capsules[0]->frame.width, rows[i].fraction), 1e-9);
        }
    }
}

}  // namespace
}  // namespace brimlet
