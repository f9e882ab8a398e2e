#include "extension/fullness/fullness_ring.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    return lay(ui::View(FullnessRing{fraction, 10, showsPercent}).frame(76, 76),
               ui::ProposedSize{76.0, 76.0});
}

// Halves round away from zero on fraction × 100 in double arithmetic; a percent that does not
// fit 64 bits has no integer, and the ring then shows no number rather than a wrapped one.
TEST(FullnessRing, ShowsTheRoundedPercentAndNoNumberBeyondSixtyFourBits) {
    struct Case {
        double fraction;
        std::optional<std::int64_t> percent;
    };
    const Case cases[] = {
        {0.625, 63},     {0.0049, 0},      {0.995, 100},     {0.6999999, 70},
        {-0.005, -1},    {1.5, 150},       {9.2e16, 9'200'000'000'000'000'000},
        {-9.2e16, -9'200'000'000'000'000'000},               {kNaN, std::nullopt},
        {kInfinity, std::nullopt},         {-kInfinity, std::nullopt},
        {1e17, std::nullopt},              {-1e17, std::nullopt},
        {0x1p63 / 100.0 + 0x1p40, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fraction);
        EXPECT_EQ(roundedPercent(c.fraction), c.percent);
        const Texts texts = textsIn(layRing(c.fraction, true));
        ASSERT_EQ(texts.size(), 1u);
        if (c.percent) {
            EXPECT_EQ(texts[0], std::to_string(*c.percent) + "%");
        } else {
            EXPECT_TRUE(std::none_of(texts[0].begin(), texts[0].end(),
                                         [](char ch) { return ch >= '0' && ch <= '9'; })) << texts[0];
        }
    }
}

TEST(FullnessColor, ChangesAtSevenAndNineTenthsOnTheUnroundedFraction) {
    struct Case {
        double fraction;
        ui::RGBA color;
    };
    const Case cases[] = {{0.6999999, kGreen}, {0.7, kAmber}, {0.8999999, kAmber}, {0.9, kRed},
                          {kNaN, kRed},        {-kInfinity, kGreen}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fraction);
        EXPECT_TRUE(sameColor(fullnessColor(c.fraction), c.color));
    }
}

// The arc starts at twelve o'clock, runs the fraction round in the fullness colour over a full
// track, and is what accented rendering tints.
TEST(FullnessRing, TheArcCoversTheFractionInItsColourFromTwelveOClock) {
    for (const double fraction : {0.62, 0.95}) {
        SCOPED_TRACE(fraction);
        for (const bool showsPercent : {true, false}) {
            const ui::LaidOutNode ring = layRing(fraction, showsPercent);
            EXPECT_EQ(textsIn(ring).size(), showsPercent ? 1u : 0u);
            const auto circles = findNodes(ring, "Circle");
            ASSERT_EQ(circles.size(), 2u);
            const auto& track = std::get<ui::LaidOutShape>(circles[0]->content);
            const auto& arc = std::get<ui::LaidOutShape>(circles[1]->content);
            EXPECT_EQ(track.trimTo - track.trimFrom, 1.0);
            EXPECT_EQ(arc.trimFrom, 0.0);
            EXPECT_EQ(arc.trimTo, fraction);
            ASSERT_TRUE(arc.stroke.has_value() && circles[1]->paint.has_value());
            EXPECT_EQ(arc.stroke->lineCap, ui::LineCap::round);
            EXPECT_TRUE(sameColor(circles[1]->paint->color, fraction < 0.7 ? kGreen : kRed));
            EXPECT_DOUBLE_EQ(circles[1]->rotation.inDegrees(), -90.0);
            EXPECT_TRUE(circles[1]->accentable);
        }
    }
}

}  // namespace
}  // namespace brimlet
