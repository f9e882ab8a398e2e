#include "extension/fullness/fullness_views.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "extension/fullness/volume_sample.h"
#include "platform/ui/testing/layout_queries.h"
#include "tests/extension/views/view_testing.h"

namespace brimlet {
namespace {

using brimlet_test::dump;
using brimlet_test::enclosing;
using brimlet_test::findText;
using brimlet_test::kAmber;
using brimlet_test::kGreen;
using brimlet_test::kRed;
using brimlet_test::layTile;
using brimlet_test::sameColor;
using brimlet_test::textContent;
using brimlet_test::textsIn;
using brimlet_test::withAlpha;
using widgetkit::WidgetFamily;

using Texts = std::vector<std::string>;

ui::View entryView(const VolumeSample& sample) {
    return ui::View(BrimletWidgetEntryView{DiskEntry{foundation::Date{0}, sample}});
}

VolumeSample sampleAt(double usedFraction) {
    VolumeSample s = VolumeSample::placeholder();
    s.usedFraction = usedFraction;
    return s;
}

// The one child of a composite view's node: what its body() laid out to.
const ui::LaidOutNode& bodyOf(const ui::LaidOutNode* composite) {
    EXPECT_NE(composite, nullptr);
    static const ui::LaidOutNode none;
    if (composite == nullptr || composite->children.size() != 1) return none;
    return composite->children[0];
}

TEST(FullnessViews, MediumShowsThePlaceholderSampleInOrder) {
    const auto tile = layTile(entryView(VolumeSample::placeholder()), WidgetFamily::systemMedium);
    EXPECT_EQ(textsIn(tile.content),
              (Texts{"62%", "Macintosh HD", "353.9 GB free", "577.4 GB of 931.3 GB used"}))
        << dump(tile);
}

TEST(FullnessViews, SmallShowsTheRingAndTheFreeCaptionOnly) {
    const auto tile = layTile(entryView(VolumeSample::placeholder()), WidgetFamily::systemSmall);
    EXPECT_EQ(textsIn(tile.content), (Texts{"62%", "353.9 GB free"})) << dump(tile);
    const ui::LaidOutNode* caption = findText(tile.content, "353.9 GB free");
    ASSERT_NE(caption, nullptr);
    ASSERT_TRUE(caption->paint.has_value());
    EXPECT_TRUE(sameColor(caption->paint->color,
                          ui::labelColor(ui::ColorScheme::light,
                                         ui::HierarchicalShapeStyle::Level::secondary)));
    EXPECT_EQ(textContent(*caption).font, ui::Font::caption);
}

TEST(FullnessViews, MediumRingIsSeventySixPointsSquare) {
    const auto tile = layTile(entryView(VolumeSample::placeholder()), WidgetFamily::systemMedium);
    const ui::LaidOutNode* ring = ui::testing::findNode(tile.content, "FullnessRing");
    ASSERT_NE(ring, nullptr);
    const ui::LaidOutNode* frame = enclosing(tile.content, ring, "Frame");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->frame.width, 76.0);
    EXPECT_EQ(frame->frame.height, 76.0);
    for (const ui::LaidOutNode* circle : ui::testing::findNodes(*ring, "Circle")) {
        const auto& shape = std::get<ui::LaidOutShape>(circle->content);
        EXPECT_EQ(shape.outline.width, 76.0);
        ASSERT_TRUE(shape.stroke.has_value());
        EXPECT_EQ(shape.stroke->lineWidth, 10.0);
    }
}

TEST(FullnessViews, SmallRingTakesTheSpaceAboveTheCaptionEightPointsApart) {
    const auto tile = layTile(entryView(VolumeSample::placeholder()), WidgetFamily::systemSmall);
    const ui::LaidOutNode& stack = bodyOf(ui::testing::findNode(tile.content, "SmallView"));
    ASSERT_EQ(stack.type, "VStack") << dump(tile);
    ASSERT_EQ(stack.children.size(), 2u);
    const ui::Rect ring = stack.children[0].frame;
    const ui::Rect caption = stack.children[1].frame;
    EXPECT_DOUBLE_EQ(caption.y - ring.maxY(), 8.0);
    // 138 points of content height less the caption's 13-point line and the gap.
    EXPECT_DOUBLE_EQ(ring.height, 138.0 - 13.0 - 8.0);
    EXPECT_DOUBLE_EQ(ring.width, 138.0);
    const ui::LaidOutNode* circle = ui::testing::findNode(stack.children[0], "Circle");
    ASSERT_NE(circle, nullptr);
    EXPECT_EQ(std::get<ui::LaidOutShape>(circle->content).stroke->lineWidth, 9.0);
}

TEST(FullnessViews, MediumSpacingIsSixteenBesideTheRingAndFourBetweenLines) {
    const auto tile = layTile(entryView(VolumeSample::placeholder()), WidgetFamily::systemMedium);
    const ui::LaidOutNode& row = bodyOf(ui::testing::findNode(tile.content, "MediumView"));
    ASSERT_EQ(row.type, "HStack") << dump(tile);
    ASSERT_EQ(row.children.size(), 3u);
    const ui::LaidOutNode& ring = row.children[0];
    const ui::LaidOutNode& lines = row.children[1];
    EXPECT_EQ(row.children[2].type, "Spacer");
    ASSERT_EQ(lines.type, "VStack");
    EXPECT_DOUBLE_EQ(lines.frame.x - ring.frame.maxX(), 16.0);
    // The ring and the text sit at the leading edge: the spacer takes what is left.
    EXPECT_DOUBLE_EQ(ring.frame.x, 16.0);
    ASSERT_EQ(lines.children.size(), 3u);
    for (std::size_t i = 1; i < lines.children.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(lines.children[i].frame.y - lines.children[i - 1].frame.maxY(), 4.0, 1e-9);
        // Leading alignment.
        EXPECT_DOUBLE_EQ(lines.children[i].frame.x, lines.frame.x);
    }
}

TEST(FullnessViews, BackgroundIsAWashOfTheFullnessColourFadingToClear) {
    struct Case {
        double fraction;
        ui::RGBA color;
    };
    for (const auto& c : {Case{0.62, kGreen}, Case{0.75, kAmber}, Case{0.95, kRed}}) {
        for (const auto family : {WidgetFamily::systemSmall, WidgetFamily::systemMedium}) {
            SCOPED_TRACE(std::to_string(c.fraction) + " " + std::string(widgetkit::familyName(family)));
            const auto tile = layTile(entryView(sampleAt(c.fraction)), family);
            ASSERT_TRUE(tile.containerBackground.has_value());
            const ui::LaidOutNode& background = *tile.containerBackground;
            const ui::LaidOutNode* gradient = ui::testing::findNode(background, "LinearGradient");
            ASSERT_NE(gradient, nullptr) << dump(tile);
            ASSERT_TRUE(gradient->paint.has_value());
            const ui::Paint& paint = *gradient->paint;
            EXPECT_EQ(paint.kind, ui::Paint::Kind::linearGradient);
            ASSERT_EQ(paint.stops.size(), 2u);
            EXPECT_TRUE(sameColor(paint.stops[0], withAlpha(c.color, 0.1)));
            EXPECT_EQ(paint.stops[1].alpha, 0.0);
            EXPECT_EQ(paint.startPoint, ui::UnitPoint::top);
            EXPECT_EQ(paint.endPoint, ui::UnitPoint::bottom);
            // The whole tile, margins included, over the system background.
            const widgetkit::DisplaySize size = widgetkit::displaySize(family);
            EXPECT_EQ(gradient->frame.width, size.width);
            EXPECT_EQ(gradient->frame.height, size.height);
            const ui::LaidOutNode* behind = enclosing(background, gradient, "Background");
            ASSERT_NE(behind, nullptr);
            ASSERT_TRUE(behind->paint.has_value());
            EXPECT_TRUE(sameColor(behind->paint->color, ui::backgroundColor(ui::ColorScheme::light)));
        }
    }
}

TEST(FullnessViews, MediumFreeLineTakesTheFullnessColour) {
    struct Case {
        double fraction;
        ui::RGBA color;
    };
    for (const auto& c : {Case{0.62, kGreen}, Case{0.75, kAmber}, Case{0.95, kRed}}) {
        SCOPED_TRACE(c.fraction);
        const auto tile = layTile(entryView(sampleAt(c.fraction)), WidgetFamily::systemMedium);
        const ui::LaidOutNode* free = findText(tile.content, "353.9 GB free");
        ASSERT_NE(free, nullptr) << dump(tile);
        ASSERT_TRUE(free->paint.has_value());
        EXPECT_TRUE(sameColor(free->paint->color, c.color));
        EXPECT_EQ(textContent(*free).font,
                  ui::Font::subheadline.weight(ui::Font::Weight::medium));
        // The usage line stays secondary whatever the fraction.
        const ui::LaidOutNode* usage = findText(tile.content, "577.4 GB of 931.3 GB used");
        ASSERT_NE(usage, nullptr);
        EXPECT_TRUE(sameColor(usage->paint->color,
                              ui::labelColor(ui::ColorScheme::light,
                                             ui::HierarchicalShapeStyle::Level::secondary)));
    }
}

TEST(FullnessViews, EveryFamilyButMediumGetsTheSmallLayout) {
    for (const auto family : widgetkit::kAllWidgetFamilies) {
        SCOPED_TRACE(std::string(widgetkit::familyName(family)));
        const auto tile = layTile(entryView(VolumeSample::placeholder()), family);
        const bool medium = family == WidgetFamily::systemMedium;
        EXPECT_EQ(ui::testing::findNode(tile.content, "MediumView") != nullptr, medium);
        EXPECT_EQ(ui::testing::findNode(tile.content, "SmallView") != nullptr, !medium);
    }
}

TEST(FullnessViews, TheFamilyComesFromTheEnvironmentNotTheCaller) {
    // Set on the view itself rather than on the layout: the entry view reads what is in force.
    const ui::View view = entryView(VolumeSample::placeholder())
                              .environment(widgetkit::WidgetFamilyKey{}, WidgetFamily::systemMedium);
    ui::TileLayoutOptions options;
    options.size = ui::Size{364, 170};
    const auto medium = ui::layoutTile(view, options, brimlet_test::fixedMeasurer());
    EXPECT_NE(ui::testing::findNode(medium.content, "MediumView"), nullptr) << dump(medium);
    // With nothing set, the host's default family (small) applies.
    const auto plain =
        ui::layoutTile(entryView(VolumeSample::placeholder()), options, brimlet_test::fixedMeasurer());
    EXPECT_NE(ui::testing::findNode(plain.content, "SmallView"), nullptr);
}

TEST(FullnessViews, VolumeNameIsShownVerbatim) {
    for (const char* name : {"%s%n", "%@ %lld", "100%", "%%", ""}) {
        SCOPED_TRACE(name);
        VolumeSample s = VolumeSample::placeholder();
        s.volumeName = name;
        const auto tile = layTile(entryView(s), WidgetFamily::systemMedium);
        const Texts texts = textsIn(tile.content);
        ASSERT_EQ(texts.size(), 4u) << dump(tile);
        EXPECT_EQ(texts[1], name);
        EXPECT_EQ(texts[2], "353.9 GB free");
    }
}

TEST(FullnessViews, ALongVolumeNameStaysOnOneLineCutAtTheEnd) {
    VolumeSample s = VolumeSample::placeholder();
    s.volumeName = std::string(80, 'W') + "END";
    const auto tile = layTile(entryView(s), WidgetFamily::systemMedium);
    const ui::LaidOutNode* name = findText(tile.content, s.volumeName);
    ASSERT_NE(name, nullptr) << dump(tile);
    const ui::LaidOutText* text = &textContent(*name);
    EXPECT_TRUE(text->truncated);
    ASSERT_EQ(text->lines.size(), 1u);
    EXPECT_EQ(text->lines[0].rfind("\xE2\x80\xA6"), text->lines[0].size() - 3);
    EXPECT_LE(name->frame.maxX(), 364.0 - 16.0 + 1e-9);
}

}  // namespace
}  // namespace brimlet
