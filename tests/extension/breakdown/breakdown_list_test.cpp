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

// The first five items, each against the largest size of all (at least one byte).
TEST(BreakdownListRows, FirstFiveAgainstTheLargestSize) {
    struct Case { Items items; std::vector<double> fractions; };
    const Case cases[] = {
        {{{"a", 48 * kGB}, {"b", 12 * kGB}, {"c", 24 * kGB}, {"d", 6 * kGB}, {"e", 3 * kGB}, {"f", 1}},
         {1.0, 0.25, 0.5, 0.125, 0.0625}},
        {{{"a", 10}, {"b", 20}, {"c", 40}, {"d", 30}, {"e", 50}, {"f", 100}}, {0.1, 0.2, 0.4, 0.3, 0.5}},
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
    const double cases[][3] = {{164, 0.5, 82}, {8, 0.5, 4}, {164, 3.9 / 164, 4}, {164, -5, 4},
                               {164, kNaN, 4}, {kNaN, 0.5, 4}, {164, 1.5, 246}};
    for (const auto& [available, fraction, width] : cases) {
        EXPECT_EQ(barFillWidth(available, fraction), width) << available << " " << fraction;
    }
}

// The caption in capitals whatever the locale, then a row per item: its name verbatim (never a
// format), a bar filled to its share of the track, its size in human bytes.
TEST(BreakdownListLayout, RowsShowNameBarAndSizeUnderACapitalCaption) {
    const BreakdownList list{"stra\xC3\x9F" "e istanbul", {{"%s%n", 48 * kGB}, {"%@", -5}, {"b", 1023}, {"b", 1}}};
    const ui::LaidOutNode laid = ui::layout(ui::View(list), ui::ProposedSize{332.0, std::nullopt}, fixedMeasurer());
    EXPECT_EQ(textsIn(laid), (Texts{"STRASSE ISTANBUL", "%s%n", "44.7 GB", "%@", "-5 B", "b", "1023 B", "b", "1 B"}));
    const auto rows = list.rows();
    const auto rowNodes = findNodes(laid, "BarRow");
    ASSERT_EQ(rowNodes.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto capsules = findNodes(*rowNodes[i], "Capsule");
        ASSERT_EQ(capsules.size(), 2u);
        EXPECT_GT(capsules[0]->frame.width, 0.0);
        EXPECT_DOUBLE_EQ(capsules[1]->frame.width, barFillWidth(capsules[0]->frame.width, rows[i].fraction));
    }
}

}  // namespace
}  // namespace brimlet
