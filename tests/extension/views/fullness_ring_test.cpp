#include "extension/fullness/fullness_ring.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "tests/extension/views/view_testing.h"

namespace brimlet {
namespace {

using namespace brimlet_test;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

ui::LaidOutNode layRing(double fraction, bool showsPercent) {
    return ui::layout(ui::View(FullnessRing{fraction, 10, showsPercent}), ui::ProposedSize{76.0, 76.0}, fixedMeasurer());
}

// Halves round away from zero on fraction × 100 in double arithmetic; a percent that does not
// fit 64 bits has no integer, and the ring then shows no number rather than a wrapped one.
TEST(FullnessRing, ShowsTheRoundedPercentAndNoNumberBeyondSixtyFourBits) {
    const std::pair<double, std::optional<std::int64_t>> cases[] = {
        {0.625, 63}, {0.0049, 0}, {0.995, 100}, {0.6999999, 70}, {-0.005, -1}, {1.5, 150},
        {9.2e16, 9'200'000'000'000'000'000}, {-9.2e16, -9'200'000'000'000'000'000},
        {kNaN, std::nullopt}, {kInfinity, std::nullopt}, {-kInfinity, std::nullopt},
        {1e17, std::nullopt}, {-1e17, std::nullopt}, {0x1p63 / 100.0 + 0x1p40, std::nullopt},
    };
    for (const auto& [fraction, percent] : cases) {
        SCOPED_TRACE(fraction);
        EXPECT_EQ(roundedPercent(fraction), percent);
        const Texts texts = textsIn(layRing(fraction, true));
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_TRUE(percent ? texts[0] == std::to_string(*percent) + "%"
                            : texts[0].find_first_of("0123456789") == std::string::npos)
            << texts[0];
    }
}

TEST(FullnessColor, ChangesAtSevenAndNineTenthsOnTheUnroundedFraction) {
    const std::pair<double, ui::RGBA> cases[] = {{0.6999999, kGreen}, {0.7, kAmber}, {0.8999999, kAmber},
                                                 {0.9, kRed}, {kNaN, kRed}, {-kInfinity, kGreen}};
    for (const auto& [fraction, color] : cases) {
        EXPECT_EQ(rgba(fullnessColor(fraction)), color) << fraction;
    }
}

// The arc starts at twelve o'clock and runs the fraction round, over a full track, in the
// fullness colour; it is what accented rendering tints.
TEST(FullnessRing, TheArcCoversTheFractionInItsColourFromTwelveOClock) {
    EXPECT_TRUE(textsIn(layRing(0.95, false)).empty());
    const ui::LaidOutNode ring = layRing(0.95, true);
    const auto circles = findNodes(ring, "Circle");
    ASSERT_EQ(circles.size(), 2u);
    const auto& track = std::get<ui::LaidOutShape>(circles[0]->content);
    const auto& arc = std::get<ui::LaidOutShape>(circles[1]->content);
    EXPECT_EQ(track.trimTo - track.trimFrom, 1.0);
    EXPECT_EQ(arc.trimTo - arc.trimFrom, 0.95);
    ASSERT_TRUE(arc.stroke.has_value() && circles[1]->paint.has_value());
    EXPECT_EQ(arc.stroke->lineCap, ui::LineCap::round);
    EXPECT_EQ(circles[1]->paint->color, kRed);
    EXPECT_DOUBLE_EQ(circles[1]->rotation.inDegrees(), -90.0);
    EXPECT_TRUE(circles[1]->accentable);
}

}  // namespace
}  // namespace brimlet
