// Frames, padding, GeometryReader, shapes and the widget tile.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/testing/layout_queries.h"
#include "tests/platform/ui/layout_fixture.h"

namespace ui {
namespace {

using testing::findNode;

using test::expectFrame;
using test::expectFrames;
using test::framesOf;
using test::lay;

// A leaf whose ideal, minimum and maximum are all 40 x 20.
View box() { return Rectangle().frame(40, 20); }

struct FrameCase {
    std::string name;
    std::function<View()> tree;
    ProposedSize proposal;
    Rect outer;  // the root's frame
    Rect inner;  // the Rectangle's frame
};

TEST(FrameLayout, KnownAnswers) {
    const std::vector<FrameCase> cases = {
        {"fixed frame is exact and centres its child", [] { return box().frame(100, 50); },
         {300.0, 300.0}, {0, 0, 100, 50}, {30, 15, 40, 20}},
        {"fixed frame smaller than the child lets it overflow, centred",
         [] { return box().frame(20, 10); }, {300.0, 300.0}, {0, 0, 20, 10}, {-10, -5, 40, 20}},
        {"fixed width only takes the child's height", [] { return box().frame(60); },
         {300.0, 300.0}, {0, 0, 60, 20}, {10, 0, 40, 20}},
        {"fixed frame aligns leading",
         [] { return box().frame(100, 50, Alignment::leading); }, {}, {0, 0, 100, 50},
         {0, 15, 40, 20}},
        {"fixed frame aligns bottom trailing",
         [] { return box().frame(100, 50, Alignment::bottomTrailing); }, {}, {0, 0, 100, 50},
         {60, 30, 40, 20}},
        {"negative and infinite lengths are ignored",
         [] { return box().frame(-5.0, infinity); }, {}, {0, 0, 40, 20}, {0, 0, 40, 20}},
        {"infinite maxima take the whole proposal",
         [] { return box().frame({.maxWidth = infinity, .maxHeight = infinity}); },
         {200.0, 100.0}, {0, 0, 200, 100}, {80, 40, 40, 20}},
        {"infinite maxima at the ideal size take the child's ideal",
         [] { return box().frame({.maxWidth = infinity, .maxHeight = infinity}); }, {},
         {0, 0, 40, 20}, {0, 0, 40, 20}},
        {"a minimum raises the size above a smaller child",
         [] { return box().frame({.minWidth = 100}); }, {50.0, 50.0}, {0, 0, 100, 20},
         {30, 0, 40, 20}},
        {"an ideal width answers a nil proposal",
         [] { return box().frame({.idealWidth = 70}); }, {}, {0, 0, 70, 20}, {15, 0, 40, 20}},
        {"minimum and maximum clamp a concrete proposal",
         [] { return box().frame({.minWidth = 10, .maxWidth = 30}); }, {50.0, 50.0},
         {0, 0, 30, 20}, {-5, 0, 40, 20}},
        {"a maximum below the child caps the frame; the child overflows",
         [] { return box().frame({.maxWidth = 30}); }, {50.0, 50.0}, {0, 0, 30, 20},
         {-5, 0, 40, 20}},
        {"a maximum with top-leading alignment",
         [] {
             return box().frame({.maxWidth = infinity, .maxHeight = infinity,
                                 .alignment = Alignment::topLeading});
         },
         {200.0, 100.0}, {0, 0, 200, 100}, {0, 0, 40, 20}},
        {"padding adds to every side", [] { return box().padding(5); }, {}, {0, 0, 50, 30},
         {5, 5, 40, 20}},
        {"padding on some edges", [] { return box().padding(Edge::Set::leading, 7); }, {},
         {0, 0, 47, 20}, {7, 0, 40, 20}},
        {"rotation changes no frame", [] { return box().rotationEffect(Angle::degrees(45)); },
         {300.0, 300.0}, {0, 0, 40, 20}, {0, 0, 40, 20}},
        {"a shape offered nothing is 10 x 10", [] { return Rectangle(); }, {}, {0, 0, 10, 10},
         {0, 0, 10, 10}},
        {"a shape takes the whole proposal", [] { return Rectangle(); }, {70.0, 30.0},
         {0, 0, 70, 30}, {0, 0, 70, 30}},
        {"a background takes its view's frame",
         [] { return box().background(Color::black); }, {}, {0, 0, 40, 20}, {0, 0, 40, 20}},
    };
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.name);
        const LaidOutNode root = lay(c.tree(), c.proposal);
        expectFrame(root.frame, c.outer);
        const auto inner = framesOf(root, "Rectangle");
        ASSERT_FALSE(inner.empty());
        expectFrame(inner.front(), c.inner);
    }
}

TEST(FrameLayout, CircleUsesTheLargestCentredSquare) {
    const LaidOutNode wide = lay(Circle().frame(100, 60), {});
    expectFrames(framesOf(wide, "Circle"), {{20, 0, 60, 60}});
    const auto& shape = std::get<LaidOutShape>(findNode(wide, "Circle")->content);
    expectFrame(shape.outline, {20, 0, 60, 60});

    const LaidOutNode tall = lay(Circle().frame(30, 90), {});
    expectFrames(framesOf(tall, "Circle"), {{0, 30, 30, 30}});
}

TEST(FrameLayout, StrokeAndTrimKeepTheShapesFrame) {
    const View ring = Circle()
                          .trim(0, 0.62)
                          .stroke(Color::black, StrokeStyle{10, LineCap::round})
                          .rotationEffect(Angle::degrees(-90));
    const LaidOutNode root = lay(ring.frame(76, 76), {});
    const LaidOutNode* circle = findNode(root, "Circle");
    ASSERT_NE(circle, nullptr);
    expectFrame(circle->frame, {0, 0, 76, 76});
    const auto& shape = std::get<LaidOutShape>(circle->content);
    EXPECT_DOUBLE_EQ(shape.trimFrom, 0);
    EXPECT_DOUBLE_EQ(shape.trimTo, 0.62);
    ASSERT_TRUE(shape.stroke.has_value());
    EXPECT_EQ(shape.stroke->lineCap, LineCap::round);
    EXPECT_DOUBLE_EQ(circle->rotation.inDegrees(), -90);
}

TEST(FrameLayout, TrimFractionsAreClampedToTheOutline) {
    const LaidOutNode over = lay(Circle().trim(-0.5, 1.5).stroke(Color::black, 1), {10.0, 10.0});
    const auto& s = std::get<LaidOutShape>(findNode(over, "Circle")->content);
    EXPECT_DOUBLE_EQ(s.trimFrom, 0);
    EXPECT_DOUBLE_EQ(s.trimTo, 1);
}

TEST(FrameLayout, GeometryReaderTakesTheProposalAndPlacesContentTopLeading) {
    Size seen;
    const View reader = GeometryReader([&seen](const GeometryProxy& g) {
        seen = g.size;
        return Rectangle().frame(g.size.width / 2, 10);
    });
    const LaidOutNode root = lay(reader.padding(4), {208.0, 108.0});
    EXPECT_DOUBLE_EQ(seen.width, 200);
    EXPECT_DOUBLE_EQ(seen.height, 100);
    expectFrames(framesOf(root, "GeometryReader"), {{4, 4, 200, 100}});
    expectFrames(framesOf(root, "Rectangle"), {{4, 4, 100, 10}});
}

TEST(FrameLayout, CapsuleCornersAreHalfTheShorterSide) {
    const LaidOutNode root = lay(Capsule().fill(tint).frame(80, 6), {});
    const auto& s = std::get<LaidOutShape>(findNode(root, "Capsule")->content);
    EXPECT_DOUBLE_EQ(s.cornerRadius, 3);
    EXPECT_EQ(s.cornerStyle, RoundedCornerStyle::continuous);
}

TEST(TileLayout, ContentSitsInsideTheMarginsCentredAndTheBackgroundFillsTheTile) {
    const View content = Rectangle()
                             .frame(100, 40)
                             .containerBackground(ContainerBackgroundPlacement::widget,
                                                  Alignment::center,
                                                  View(Color(1, 0, 0)).background(background));
    const LaidOutTile tile = layoutTile(content, {.size = {364, 170}}, test::fixedMeasurer());
    // (364 - 32) x (170 - 32) area at (16, 16); the 100 x 40 content centred in it.
    expectFrame(tile.content.frame, {132, 65, 100, 40});
    ASSERT_TRUE(tile.containerBackground.has_value());
    expectFrame(tile.containerBackground->frame, {0, 0, 364, 170});
    expectFrames(framesOf(*tile.containerBackground, "Color"), {{0, 0, 364, 170}});
    expectFrames(framesOf(*tile.containerBackground, "Background"), {{0, 0, 364, 170}});
}

TEST(TileLayout, FlexibleContentFillsTheAreaInsideTheMargins) {
    const View content = View(Color::black).frame({.maxWidth = infinity, .maxHeight = infinity});
    const LaidOutTile tile = layoutTile(content, {.size = {170, 170}}, test::fixedMeasurer());
    expectFrame(tile.content.frame, {16, 16, 138, 138});
    EXPECT_FALSE(tile.containerBackground.has_value());
}

TEST(TileLayout, TheOutermostContainerBackgroundWins) {
    const View inner = Rectangle().containerBackground(Color(0, 0, 1), ContainerBackgroundPlacement::widget);
    const View outer = inner.containerBackground(Color(0, 1, 0), ContainerBackgroundPlacement::widget);
    const LaidOutTile tile = layoutTile(outer, {.size = {170, 170}}, test::fixedMeasurer());
    ASSERT_TRUE(tile.containerBackground.has_value());
    const LaidOutNode* color = findNode(*tile.containerBackground, "Color");
    ASSERT_NE(color, nullptr);
    EXPECT_DOUBLE_EQ(color->paint->color.green, 1);
}

}  // namespace
}  // namespace ui
