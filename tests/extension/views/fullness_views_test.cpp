#include "extension/fullness/fullness_views.h"

#include <gtest/gtest.h>

#include <string>

#include "extension/fullness/volume_sample.h"
#include "tests/extension/views/view_testing.h"

namespace brimlet {
namespace {

using namespace brimlet_test;
using widgetkit::WidgetFamily;

ui::View entryView(const VolumeSample& sample) {
    return ui::View(BrimletWidgetEntryView{DiskEntry{foundation::Date{0}, sample}});
}

VolumeSample sampleWith(double usedFraction, std::string volumeName = "Macintosh HD") {
    VolumeSample s = VolumeSample::placeholder();
    s.usedFraction = usedFraction;
    s.volumeName = std::move(volumeName);
    return s;
}

const ui::Rect& ringOutline(const ui::LaidOutNode& content) {
    static const ui::LaidOutShape none;
    const ui::LaidOutNode* circle = findNode(content, "Circle");
    EXPECT_NE(circle, nullptr);
    return circle ? std::get<ui::LaidOutShape>(circle->content).outline : none.outline;
}

// Medium shows the volume beside the ring; every other family the ring over the free space. In
// the families the widget is offered in, nothing reaches out of the content area.
TEST(FullnessViews, EachFamilyShowsItsLinesInsideTheContentArea) {
    const Texts medium = {"62%", "Macintosh HD", "353.9 GB free", "577.4 GB of 931.3 GB used"};
    const Texts small = {"62%", "353.9 GB free"};
    for (const auto family : widgetkit::kAllWidgetFamilies) {
        SCOPED_TRACE(std::string(widgetkit::familyName(family)));
        const auto tile = layTile(entryView(VolumeSample::placeholder()), family);
        EXPECT_EQ(textsIn(tile.content), family == WidgetFamily::systemMedium ? medium : small)
            << dump(tile);
        if (family == WidgetFamily::systemSmall || family == WidgetFamily::systemMedium) {
            expectInside(tile.content, contentArea(family));
        }
    }
}

// Small: the ring is the tile's figure, as large as the caption below it leaves room for.
// Medium: the lines start clear of the ring. In both, the percent sits in the ring's middle.
TEST(FullnessViews, TheRingFitsTheTileBesideOrAboveItsLines) {
    for (const auto family : {WidgetFamily::systemSmall, WidgetFamily::systemMedium}) {
        SCOPED_TRACE(std::string(widgetkit::familyName(family)));
        const auto tile = layTile(entryView(VolumeSample::placeholder()), family);
        const ui::Rect ring = ringOutline(tile.content);
        const ui::Rect area = contentArea(family);
        EXPECT_TRUE(contains(area, ring));
        EXPECT_EQ(ring.width, ring.height);
        const ui::LaidOutNode* percent = findText(tile.content, "62%");
        ASSERT_NE(percent, nullptr);
        EXPECT_NEAR(percent->frame.midX(), ring.midX(), 1e-9);
        EXPECT_NEAR(percent->frame.midY(), ring.midY(), 1e-9);
        const ui::LaidOutNode* free = findText(tile.content, "353.9 GB free");
        ASSERT_NE(free, nullptr);
        if (family == WidgetFamily::systemSmall) {
            EXPECT_LE(ring.maxY(), free->frame.y);
            EXPECT_GE(ring.height, (area.height - free->frame.height) * 0.75) << dump(tile);
        } else {
            for (const ui::LaidOutNode* line : findNodes(tile.content, "Text")) {
                if (line != percent) { EXPECT_GE(line->frame.x, ring.maxX()); }
            }
            EXPECT_GE(ring.height, area.height / 3) << dump(tile);
        }
    }
}

// The volume name is shown as it is, never as a format, on one line cut at its end.
TEST(FullnessViews, TheVolumeNameIsVerbatimOnOneLineInsideTheTile) {
    for (const std::string& name : {std::string("%s%n"), std::string("100%"), std::string(80, 'W') + "END"}) {
        SCOPED_TRACE(name);
        const auto tile = layTile(entryView(sampleWith(0.62, name)), WidgetFamily::systemMedium);
        const ui::LaidOutNode* node = findText(tile.content, name);
        ASSERT_NE(node, nullptr) << dump(tile);
        const ui::LaidOutText& text = textContent(*node);
        ASSERT_EQ(text.lines.size(), 1u);
        EXPECT_EQ(text.truncated, name.size() > 10);
        if (text.truncated) { EXPECT_EQ(text.lines[0].substr(text.lines[0].size() - 3), "\xE2\x80\xA6"); }
        expectInside(tile.content, contentArea(WidgetFamily::systemMedium));
    }
}

// The tile is washed in the fullness colour fading to clear, over the system background, and
// medium's free line takes the same colour.
TEST(FullnessViews, TheBackgroundAndTheFreeLineTakeTheFullnessColour) {
    struct Case {
        double fraction;
        ui::RGBA color;
    };
    for (const auto& c : {Case{0.62, kGreen}, Case{0.75, kAmber}, Case{0.95, kRed}}) {
        SCOPED_TRACE(c.fraction);
        const auto tile = layTile(entryView(sampleWith(c.fraction)), WidgetFamily::systemMedium);
        ASSERT_TRUE(tile.containerBackground.has_value());
        const ui::LaidOutNode* gradient = findNode(*tile.containerBackground, "LinearGradient");
        ASSERT_TRUE(gradient != nullptr && gradient->paint.has_value()) << dump(tile);
        const ui::Paint& paint = *gradient->paint;
        ASSERT_EQ(paint.stops.size(), 2u);
        EXPECT_TRUE(sameColor(paint.stops[0], withAlpha(c.color, 0.1)));
        EXPECT_EQ(paint.stops[1].alpha, 0.0);
        EXPECT_EQ(paint.startPoint, ui::UnitPoint::top);
        EXPECT_EQ(gradient->frame.width, tile.size.width);
        EXPECT_EQ(gradient->frame.height, tile.size.height);
        const ui::LaidOutNode* behind = findNode(*tile.containerBackground, "Background");
        ASSERT_TRUE(behind != nullptr && behind->paint.has_value());
        EXPECT_TRUE(sameColor(behind->paint->color,
                              ui::backgroundColor(ui::ColorScheme::light)));
        const ui::LaidOutNode* free = findText(tile.content, "353.9 GB free");
        ASSERT_TRUE(free != nullptr && free->paint.has_value());
        EXPECT_TRUE(sameColor(free->paint->color, c.color));
    }
}

TEST(FullnessViews, TheFamilyComesFromTheEnvironmentNotTheCaller) {
    ui::TileLayoutOptions options;
    options.size = ui::Size{364, 170};
    const auto medium = ui::layoutTile(
        entryView(VolumeSample::placeholder()).environment(widgetkit::WidgetFamilyKey{},
                                                           WidgetFamily::systemMedium),
        options, fixedMeasurer());
    EXPECT_NE(findNode(medium.content, "MediumView"), nullptr) << dump(medium);
    // With nothing set, the host's default family (small) applies.
    const auto plain = ui::layoutTile(entryView(VolumeSample::placeholder()), options, fixedMeasurer());
    EXPECT_NE(findNode(plain.content, "SmallView"), nullptr);
}

}  // namespace
}  // namespace brimlet
