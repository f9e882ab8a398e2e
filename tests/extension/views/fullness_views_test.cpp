#include "extension/fullness/fullness_views.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "extension/fullness/fullness_ring.h"
#include "extension/fullness/volume_sample.h"
#include "tests/extension/views/view_testing.h"

namespace brimlet {
namespace {

using namespace brimlet_test;
using widgetkit::WidgetFamily;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

ui::LaidOutNode layRing(double fraction, bool showsPercent) {
    return ui::layout(ui::View(FullnessRing{fraction, 10, showsPercent}),
                      ui::ProposedSize{76.0, 76.0}, fixedMeasurer());
}

// Halves round away from zero on fraction × 100 in double arithmetic; a percent that does not
// fit 64 bits has no integer, and the ring then shows no number rather than a wrapped one.
TEST(FullnessRing, ShowsTheRoundedPercentAndNoNumberBeyondSixtyFourBits) {
    const std::pair<double, std::optional<std::int64_t>> cases[] = {
        {0.625, 63},
        {0.995, 100},
        {0.6999999, 70},
        {-0.005, -1},
        {9.2e16, 9'200'000'000'000'000'000},
        {kNaN, std::nullopt},
        {kInfinity, std::nullopt},
        {1e17, std::nullopt},
        {0x1p63 / 100.0 + 0x1p40, std::nullopt},
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
    const std::pair<double, ui::RGBA> cases[] = {{0.6999999, kGreen}, {0.7, kAmber},
                                                 {0.8999999, kAmber}, {0.9, kRed},
                                                 {kNaN, kRed},        {-kInfinity, kGreen}};
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
    EXPECT_EQ(circles[1]->paint->color, kRed);
    EXPECT_DOUBLE_EQ(circles[1]->rotation.inDegrees(), -90.0);
    EXPECT_TRUE(circles[1]->accentable);
}

ui::LaidOutTile layFullness(double usedFraction, std::string volumeName, WidgetFamily family) {
    VolumeSample s = VolumeSample::placeholder();
    s.usedFraction = usedFraction;
    s.volumeName = std::move(volumeName);
    return layTile(ui::View(BrimletWidgetEntryView{DiskEntry{foundation::Date{0}, s}}), family);
}

// Medium shows the volume beside the ring, its name verbatim (never a format) on one line cut at
// its end; every other family shows the ring over the free space; and
// in the families the widget is offered in nothing reaches out of the content area. The ring is
// the tile's figure: in small as large as the caption below it leaves room for, in medium clear
// of the lines beside it; the percent sits in its middle.
TEST(FullnessViews, TheRingAndItsLinesFitTheTileOfEachFamily) {
    const std::string name = "%s%n" + std::string(80, 'W');
    const Texts medium = {"62%", name, "353.9 GB free", "577.4 GB of 931.3 GB used"};
    for (const auto family : widgetkit::kAllWidgetFamilies) {
        SCOPED_TRACE(widgetkit::familyName(family));
        const auto tile = layFullness(0.62, name, family);
        const bool isMedium = family == WidgetFamily::systemMedium;
        EXPECT_EQ(textsIn(tile.content), (isMedium ? medium : Texts{"62%", "353.9 GB free"}))
            << dump(tile);
        if (!isMedium && family != WidgetFamily::systemSmall) continue;
        const ui::Rect area = contentArea(family);
        expectInside(tile.content, area);
        const ui::LaidOutNode* circle = findNode(tile.content, "Circle");
        const ui::LaidOutNode* percent = findText(tile.content, "62%");
        const ui::LaidOutNode* free = findText(tile.content, "353.9 GB free");
        ASSERT_TRUE(circle && percent && free) << dump(tile);
        const ui::Rect ring = std::get<ui::LaidOutShape>(circle->content).outline;
        EXPECT_EQ(ring.width, ring.height);
        EXPECT_NEAR(percent->frame.midX(), ring.midX(), 1e-9);
        EXPECT_NEAR(percent->frame.midY(), ring.midY(), 1e-9);
        if (!isMedium) {
            EXPECT_LE(ring.maxY(), free->frame.y);
            EXPECT_GE(ring.height, (area.height - free->frame.height) * 0.75) << dump(tile);
            continue;
        }
        EXPECT_GE(ring.height, area.height / 3) << dump(tile);
        const ui::LaidOutText& cut = textContent(*findNodes(tile.content, "Text").at(1));
        EXPECT_TRUE(cut.truncated && cut.lines.size() == 1 &&
                    cut.lines[0].ends_with("\xE2\x80\xA6"));
        for (const ui::LaidOutNode* line : findNodes(tile.content, "Text")) {
            if (line != percent) {
                EXPECT_GE(line->frame.x, ring.maxX());
            }
        }
    }
}

// The tile is washed in the fullness colour fading to clear, over the system background, and
// medium's free line takes the same colour.
TEST(FullnessViews, TheBackgroundAndTheFreeLineTakeTheFullnessColour) {
    for (const auto& [fraction, color] : {std::pair{0.62, kGreen}, {0.75, kAmber}, {0.95, kRed}}) {
        const auto tile = layFullness(fraction, "Macintosh HD", WidgetFamily::systemMedium);
        const ui::LaidOutNode* wash = findNode(tile.containerBackground.value(), "LinearGradient");
        const ui::LaidOutNode* behind = findNode(*tile.containerBackground, "Background");
        const ui::LaidOutNode* free = findText(tile.content, "353.9 GB free");
        ASSERT_TRUE(wash && wash->paint && behind && behind->paint && free && free->paint)
            << dump(tile);
        EXPECT_EQ(wash->paint->stops,
                  (std::vector<ui::RGBA>{{color.red, color.green, color.blue, 0.1}, {0, 0, 0, 0}}));
        EXPECT_TRUE(wash->paint->startPoint == ui::UnitPoint::top &&
                    wash->frame.width == tile.size.width);
        EXPECT_EQ(behind->paint->color, ui::backgroundColor(ui::ColorScheme::light));
        EXPECT_EQ(free->paint->color, color) << fraction;
    }
}

}  // namespace
}  // namespace brimlet
