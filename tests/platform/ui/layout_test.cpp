// Frames, padding, shapes, stacks, spacers, ZStack, Group, ForEach and the widget tile: each
// case a tree, a proposal and the frames the platform's own layout gives for it.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/platform/ui/layout_fixture.h"

namespace ui {
namespace {

using test::expectFrame;
using test::expectFrames;
using test::framesOf;
using test::lay;
using testing::findNode;

// A leaf whose ideal, minimum and maximum are all 40 x 20.
View box() { return Rectangle().frame(40, 20); }
View rect(double w, double h) { return Rectangle().frame(w, h); }
View caption(std::string_view s) { return Text::verbatim(s).font(Font::caption); }

// Each row: a tree, the proposal, the type of node whose frames are checked, and the frames of
// every node of that type in pre-order.
struct LayoutCase {
    View tree;
    ProposedSize proposal;
    std::string type;
    std::vector<Rect> frames;
};

TEST(Layout, KnownAnswers) {
    using V = VerticalAlignment;
    using H = HorizontalAlignment;
    const std::vector<double> widths{10, 20, 30};
    const View column = VStack(
        H::leading, 5, {caption("T"), ForEach(widths, [](double w) { return rect(w, 10); })});
    const FlexibleFrame unbounded{.maxWidth = infinity, .maxHeight = infinity};
    const EdgeInsets insets{1, 2, 3, 4};
    const ProposedSize p300{300.0, 300.0};
    const ProposedSize p100{100.0, 100.0};
    const ProposedSize p100x40{100.0, 40.0}, p100x30{100.0, 30.0};
    const View red = View(Color(1, 0, 0));
    const View green = View(Color(0, 1, 0));
    const LayoutCase cases[] = {
        // A fixed frame is exact and centres its child, which may overflow it; a fixed width
        // alone takes the child's height; the alignment places the child.
        {box().frame(100, 50), p300, "Rectangle", {{30, 15, 40, 20}}},
        {box().frame(60), p300, "Rectangle", {{10, 0, 40, 20}}},
        {box().frame(100, 50, Alignment::bottomTrailing), {}, "Rectangle", {{60, 30, 40, 20}}},
        // Negative and infinite lengths are ignored.
        {box().frame(-5.0, infinity), {}, "Frame", {{0, 0, 40, 20}, {0, 0, 40, 20}}},
        // Infinite maxima take the whole proposal, or the child's ideal when there is none.
        {box().frame(unbounded), {200.0, 100.0}, "Rectangle", {{80, 40, 40, 20}}},
        {box().frame(unbounded), {}, "Frame", {{0, 0, 40, 20}, {0, 0, 40, 20}}},
        // A minimum raises the size above a smaller child; an ideal answers a nil proposal;
        // minimum and maximum clamp a concrete proposal.
        {box().frame({.minWidth = 100}), {50.0, 50.0}, "Rectangle", {{30, 0, 40, 20}}},
        {box().frame({.idealWidth = 70}), {}, "Rectangle", {{15, 0, 40, 20}}},
        {box().frame({.minWidth = 10, .maxWidth = 30}),
         {50.0, 50.0},
         "Frame",
         {{0, 0, 30, 20}, {-5, 0, 40, 20}}},
        // Padding adds each inset and places the child after the top and leading ones.
        {box().padding(insets), {}, "Padding", {{0, 0, 46, 24}}},
        {box().padding(insets), {}, "Rectangle", {{2, 1, 40, 20}}},
        // A shape offered nothing is 10 x 10, else takes the whole proposal; a circle is the
        // largest centred square.
        {Rectangle(), {}, "Rectangle", {{0, 0, 10, 10}}},
        {Rectangle(), {70.0, 30.0}, "Rectangle", {{0, 0, 70, 30}}},
        {ZStack({Circle().frame(100, 60), Circle().frame(30, 90)}),
         {},
         "Circle",
         {{20, 15, 60, 60}, {35, 30, 30, 30}}},
        // A max-width child and a min-width child share 150 as 75 and 100, overflowing.
        {HStack(V::center, 0, {red.frame({.maxWidth = 100}), green.frame({.minWidth = 100})})
             .frame(150, 100),
         {},
         "Color",
         {{-12.5, 0, 75, 100}, {62.5, 0, 100, 100}}},
        // A spacer of minimum 0 shrinks to nothing when space runs out; without a minimum it
        // keeps the default 8 points.
        {HStack(V::center, 0, {rect(120, 20), Spacer(0)}), p100x40, "Spacer", {{120, 10, 0, 0}}},
        {HStack(V::center, 0, {rect(100, 20), Spacer()}), p100x40, "Spacer", {{100, 10, 8, 0}}},
        // A higher layout priority gets its ideal width first.
        {HStack(V::center, 0, {caption("ABCDEFGHIJ").layoutPriority(1), View(Color::black)})
             .frame(100, 13),
         {},
         "Color",
         {{60, 0, 40, 13}}},
        // HStack centres its children vertically, 8 apart, by default, or aligns them as asked;
        // at its ideal size it adds its children and gaps.
        {HStack({rect(10, 40), rect(10, 10)}),
         p100,
         "Rectangle",
         {{0, 0, 10, 40}, {18, 15, 10, 10}}},
        {HStack(V::bottom, 2, {rect(10, 40), rect(10, 10)}),
         p100,
         "Rectangle",
         {{0, 0, 10, 40}, {12, 30, 10, 10}}},
        {HStack(V::top, 3, {rect(10, 5), rect(20, 8)}), {}, "HStack", {{0, 0, 33, 8}}},
        // A divider is one device pixel thick across the stack: horizontal in a VStack,
        // vertical in an HStack.
        {VStack(H::center, 0, {rect(80, 10), Divider(), rect(40, 10)}),
         {200.0, 200.0},
         "Divider",
         {{0, 10, 200, 0.5}}},
        {HStack(V::center, 0, {rect(10, 30), Divider()}), p100x30, "Divider", {{10, 0, 0.5, 30}}},
        // ForEach children and a Group's join the stack they are in, one after another.
        {column, p100, "Rectangle", {{0, 18, 10, 10}, {0, 33, 20, 10}, {0, 48, 30, 10}}},
        {HStack(V::top, 1, {rect(5, 5), Group({rect(6, 6), rect(7, 7)})}),
         {},
         "Rectangle",
         {{0, 0, 5, 5}, {6, 0, 6, 6}, {13, 0, 7, 7}}},
        // Outside a stack a Group is its one child, or stacks several 8 apart.
        {Group(rect(30, 20)), p100, "Group", {{0, 0, 30, 20}}},
        {Group({rect(6, 6), rect(10, 4)}), p100, "Group", {{0, 0, 10, 18}}},
        // ZStack is as large as its largest children, aligns them and offers each the whole
        // proposal.
        {ZStack(Alignment::bottomTrailing, {rect(40, 20), rect(10, 30)}),
         p100,
         "Rectangle",
         {{0, 10, 40, 20}, {30, 0, 10, 30}}},
        {ZStack({View(Color::black), rect(10, 10)}), {60.0, 40.0}, "Rectangle", {{25, 15, 10, 10}}},
        // An empty stack has no size.
        {VStack({}), p100, "VStack", {{0, 0, 0, 0}}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("row " + std::to_string(i) + " of the table");
        expectFrames(framesOf(lay(cases[i].tree, cases[i].proposal), cases[i].type),
                     cases[i].frames);
    }
}

TEST(Layout, ShapeGeometryIsClampedAndRounded) {
    const LaidOutNode over = lay(Circle().trim(-0.5, 1.5).stroke(Color::black, 1), {10.0, 10.0});
    const auto& circle = std::get<LaidOutShape>(findNode(over, "Circle")->content);
    EXPECT_DOUBLE_EQ(circle.trimFrom, 0);
    EXPECT_DOUBLE_EQ(circle.trimTo, 1);
    const LaidOutNode bar = lay(Capsule().fill(tint).frame(80, 6), {});
    EXPECT_DOUBLE_EQ(std::get<LaidOutShape>(findNode(bar, "Capsule")->content).cornerRadius, 3);
}

TEST(Layout, GeometryReaderTakesWhatItIsOfferedAndPlacesContentTopLeading) {
    Size seen;
    const View reader = GeometryReader([&seen](const GeometryProxy& g) {
        seen = g.size;
        return Rectangle().frame(g.size.width / 2, 10);
    });
    const LaidOutNode root = lay(reader.padding(4), {208.0, 108.0});
    EXPECT_TRUE(seen.width == 200 && seen.height == 100);
    expectFrames(framesOf(root, "Rectangle"), {{4, 4, 100, 10}});
    // In a stack it is offered the width left after the fixed texts and the gaps, not what it
    // then takes.
    const View row = HStack(VerticalAlignment::center, 8,
                            {caption("name").frame(96, std::nullopt, Alignment::leading),
                             reader.frame(std::nullopt, 12),
                             caption("1 GB").frame(56, std::nullopt, Alignment::trailing)});
    expectFrame(lay(row, {332.0, 20.0}).frame, {0, 0, 332, 13});
    EXPECT_DOUBLE_EQ(seen.width, 332 - 96 - 56 - 16);
}

TEST(Layout, VStackSharesItsHeightAsHStackSharesItsWidth) {
    // One child capped at 50 along the axis, one unbounded, a spacer and a fixed square: the
    // VStack's frames are the HStack's, transposed.
    auto children = [](Axis axis) {
        const FlexibleFrame capped = axis == Axis::horizontal ? FlexibleFrame{.maxWidth = 50}
                                                              : FlexibleFrame{.maxHeight = 50};
        return std::vector<View>{View(Color::black).frame(capped), View(Color::white), Spacer(0),
                                 rect(20, 20)};
    };
    const LaidOutNode h =
        lay(HStack(VerticalAlignment::top, 10, children(Axis::horizontal)), {200.0, 30.0});
    const LaidOutNode v =
        lay(VStack(HorizontalAlignment::leading, 10, children(Axis::vertical)), {30.0, 200.0});
    std::vector<Rect> transposed;
    for (const Rect& r : framesOf(v, "Color")) transposed.push_back({r.y, r.x, r.height, r.width});
    expectFrames(transposed, {{0, 0, 50, 30}, {60, 0, 100, 30}});
    expectFrames(framesOf(h, "Color"), transposed);
}

TEST(TileLayout, ContentSitsCentredInsideTheMarginsAndTheBackgroundFillsTheTile) {
    const View content =
        rect(100, 40).containerBackground(ContainerBackgroundPlacement::widget, Alignment::center,
                                          View(Color(1, 0, 0)).background(background));
    const LaidOutTile tile = layoutTile(content, {.size = {364, 170}}, test::fixedMeasurer());
    // (364 - 32) x (170 - 32) area at (16, 16); the 100 x 40 content centred in it.
    expectFrame(tile.content.frame, {132, 65, 100, 40});
    ASSERT_TRUE(tile.containerBackground.has_value());
    expectFrames(framesOf(*tile.containerBackground, "Color"), {{0, 0, 364, 170}});
    expectFrames(framesOf(*tile.containerBackground, "Background"), {{0, 0, 364, 170}});

    const View flexible = View(Color::black).frame({.maxWidth = infinity, .maxHeight = infinity});
    const LaidOutTile filled = layoutTile(flexible, {.size = {170, 170}}, test::fixedMeasurer());
    expectFrame(filled.content.frame, {16, 16, 138, 138});
    EXPECT_FALSE(filled.containerBackground.has_value());
}

TEST(TileLayout, TheOutermostContainerBackgroundWins) {
    const auto widget = ContainerBackgroundPlacement::widget;
    const View outer = Rectangle()
                           .containerBackground(Color(0, 0, 1), widget)
                           .containerBackground(Color(0, 1, 0), widget);
    const LaidOutTile tile = layoutTile(outer, {.size = {170, 170}}, test::fixedMeasurer());
    ASSERT_TRUE(tile.containerBackground.has_value());
    const LaidOutNode* color = findNode(*tile.containerBackground, "Color");
    ASSERT_NE(color, nullptr);
    EXPECT_DOUBLE_EQ(color->paint->color.green, 1);
}

}  // namespace
}  // namespace ui
