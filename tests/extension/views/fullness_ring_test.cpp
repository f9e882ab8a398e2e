#include "extension/fullness/fullness_ring.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/testing/layout_queries.h"
#include "tests/extension/views/view_testing.h"

namespace brimlet {
namespace {

using brimlet_test::kAmber;
using brimlet_test::kGreen;
using brimlet_test::kRed;
using brimlet_test::lay;
using brimlet_test::sameColor;
using brimlet_test::textsIn;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The ring as the medium view frames it: 76 × 76 points.
ui::LaidOutNode layRing(double fraction, bool showsPercent) {
    return lay(ui::View(FullnessRing{fraction, 10, showsPercent}).frame(76, 76),
               ui::ProposedSize{76.0, 76.0});
}

bool hasDigit(const std::string& text) {
    for (const char c : text) {
        if (c >= '0' && c <= '9') return true;
    }
    return false;
}

struct PercentCase {
    double fraction;
    std::int64_t percent;
    const char* text;
};

// Halves round away from zero, on fraction × 100 in double arithmetic.
const std::vector<PercentCase> kPercentCases = {
    {0.62, 62, "62%"},   {0.625, 63, "63%"}, {0.005, 1, "1%"},   {0.0049, 0, "0%"},
    {0.995, 100, "100%"}, {0.0, 0, "0%"},    {1.0, 100, "100%"}, {0.6999999, 70, "70%"},
    {-0.005, -1, "-1%"}, {1.5, 150, "150%"},
};

TEST(RoundedPercent, RoundsHalvesAwayFromZero) {
    for (const auto& c : kPercentCases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(roundedPercent(c.fraction), std::optional<std::int64_t>(c.percent));
    }
}

TEST(FullnessRing, ShowsTheRoundedPercentWithASignAndNoSpace) {
    for (const auto& c : kPercentCases) {
        SCOPED_TRACE(c.text);
        const ui::LaidOutNode ring = layRing(c.fraction, true);
        EXPECT_EQ(textsIn(ring), std::vector<std::string>{c.text});
    }
}

TEST(RoundedPercent, APercentBeyondSixtyFourBitsHasNoInteger) {
    struct Case {
        const char* what;
        double fraction;
    };
    const std::vector<Case> cases = {
        {"NaN", kNaN},
        {"+infinity", kInfinity},
        {"-infinity", -kInfinity},
        {"1e17 (1e19 percent)", 1e17},
        {"-1e17", -1e17},
        {"just beyond 2^63 percent", 0x1p63 / 100.0 + 0x1p40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(roundedPercent(c.fraction), std::nullopt);
        // Laid out all the same, with a text that carries no number.
        const ui::LaidOutNode ring = layRing(c.fraction, true);
        const auto texts = textsIn(ring);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_FALSE(hasDigit(texts[0])) << texts[0];
    }
}

TEST(RoundedPercent, TheLargestPercentsThatFitAreKept) {
    // 9.2e16 × 100 = 9.2e18 < 2^63 ≈ 9.223e18.
    EXPECT_EQ(roundedPercent(9.2e16), std::optional<std::int64_t>(9'200'000'000'000'000'000));
    EXPECT_EQ(roundedPercent(-9.2e16), std::optional<std::int64_t>(-9'200'000'000'000'000'000));
}

TEST(FullnessRing, WithoutPercentHasNoTextOnlyTrackAndArc) {
    for (const double fraction : {0.0, 0.62, 1.0, kNaN}) {
        SCOPED_TRACE(fraction);
        const ui::LaidOutNode ring = layRing(fraction, false);
        EXPECT_TRUE(textsIn(ring).empty());
        EXPECT_EQ(ui::testing::findNodes(ring, "Circle").size(), 2u);
    }
}

TEST(FullnessRing, TheArcIsTrimmedToTheFractionInItsColourAndTurnedToTwelveOClock) {
    struct Case {
        double fraction;
        ui::RGBA color;
    };
    for (const auto& c : {Case{0.62, kGreen}, Case{0.75, kAmber}, Case{0.95, kRed}}) {
        SCOPED_TRACE(c.fraction);
        const ui::LaidOutNode ring = layRing(c.fraction, true);
        const auto circles = ui::testing::findNodes(ring, "Circle");
        ASSERT_EQ(circles.size(), 2u);
        const auto& track = std::get<ui::LaidOutShape>(circles[0]->content);
        const auto& arc = std::get<ui::LaidOutShape>(circles[1]->content);
        EXPECT_EQ(track.trimTo, 1.0);
        EXPECT_EQ(arc.trimFrom, 0.0);
        EXPECT_EQ(arc.trimTo, c.fraction);
        ASSERT_TRUE(arc.stroke.has_value());
        EXPECT_EQ(arc.stroke->lineWidth, 10.0);
        EXPECT_EQ(arc.stroke->lineCap, ui::LineCap::round);
        ASSERT_TRUE(circles[1]->paint.has_value());
        EXPECT_TRUE(sameColor(circles[1]->paint->color, c.color));
        EXPECT_DOUBLE_EQ(circles[1]->rotation.inDegrees(), -90.0);
        EXPECT_TRUE(circles[1]->accentable);
    }
}

TEST(FullnessColor, ChangesAtSevenAndNineTenthsOnTheUnroundedFraction) {
    struct Case {
        double fraction;
        ui::RGBA color;
        const char* what;
    };
    const std::vector<Case> cases = {
        {0.6999999, kGreen, "just below 0.7 (shows 70%)"},
        {0.7, kAmber, "0.7"},
        {0.8999999, kAmber, "just below 0.9"},
        {0.9, kRed, "0.9"},
        {1.5, kRed, "beyond full"},
        {-1, kGreen, "negative"},
        {0, kGreen, "empty"},
        {kNaN, kRed, "NaN compares with neither bound"},
        {kInfinity, kRed, "+infinity"},
        {-kInfinity, kGreen, "-infinity"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(sameColor(fullnessColor(c.fraction), c.color));
    }
}

}  // namespace
}  // namespace brimlet
