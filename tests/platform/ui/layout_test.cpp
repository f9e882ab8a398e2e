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

struct LayoutCase {
    std::string name;
    View tree;
    ProposedSize proposal;
    std::string type;
    std::vector<Rect> frames;  // of every node of `type`, in pre-order
};

TEST(Layout, KnownAnswers) {
    using V = VerticalAlignment;
    using H = HorizontalAlignment;
    const std::vector<double> widths{10, 20, 30};
    const View column = VStack(
        H::leading, 5, {caption("T"), ForEach(widths, [](double w) { return rect(w, 10); })});
    const FlexibleFrame unbounded{.maxWidth = infinity, .maxHeight = infinity};
    const EdgeInsets insets{1, 2, 3, 4};
    const LayoutCase cases[] = {
        {"fixed frame is exact and centres its child",
         box().frame(100, 50),
         {300.0, 300.0},
         "Rectangle",
         {{30, 15, 40, 20}}},
        {"fixed frame smaller than the child lets it overflow, centred",
         box().frame(20, 10),
         {300.0, 300.0},
         "Rectangle",
         {{-10, -5, 40, 20}}},
        {"fixed width only takes the child's height",
         box().frame(60),
         {300.0, 300.0},
         "Rectangle",
         {{10, 0, 40, 20}}},
        {"fixed frame aligns bottom trailing",
         box().frame(100, 50, Alignment::bottomTrailing),
         {},
         "Rectangle",
         {{60, 30, 40, 20}}},
        {"negative and infinite lengths are ignored",
         box().frame(-5.0, infinity),
         {},
         "Frame",
         {{0, 0, 40, 20}, {0, 0, 40, 20}}},
        {"infinite maxima take the whole proposal",
         box().frame(unbounded),
         {200.0, 100.0},
         "Rectangle",
         {{80, 40, 40, 20}}},
        {"infinite maxima at the ideal size take the child's ideal",
         box().frame(unbounded),
         {},
         "Frame",
         {{0, 0, 40, 20}, {0, 0, 40, 20}}},
        {"a minimum raises the size above a smaller child",
         box().frame({.minWidth = 100}),
         {50.0, 50.0},
         "Rectangle",
         {{30, 0, 40, 20}}},
        {"an ideal width answers a nil proposal",
         box().frame({.idealWidth = 70}),
         {},
         "Rectangle",
         {{15, 0, 40, 20}}},
        {"minimum and maximum clamp a concrete proposal",
         box().frame({.minWidth = 10, .maxWidth = 30}),
         {50.0, 50.0},
         "Frame",
         {{0, 0, 30, 20}, {-5, 0, 40, 20}}},
        {"padding adds each inset", box().padding(insets), {}, "Padding", {{0, 0, 46, 24}}},
        {"padding places the child after the top and leading insets",
         box().padding(insets),
         {},
         "Rectangle",
         {{2, 1, 40, 20}}},
        {"a shape offered nothing is 10 x 10", Rectangle(), {}, "Rectangle", {{0, 0, 10, 10}}},
        {"a shape takes the whole proposal",
         Rectangle(),
         {70.0, 30.0},
         "Rectangle",
         {{0, 0, 70, 30}}},
        {"a circle is the largest centred square",
         ZStack({Circle().frame(100, 60), Circle().frame(30, 90)}),
         {},
         "Circle",
         {{20, 15, 60, 60}, {35, 30, 30, 30}}},
        {"max-width child and min-width child share 150 as 75 and 100, overflowing",
         HStack(V::center, 0,
                {View(Color(1, 0, 0)).frame({.maxWidth = 100}),
                 View(Color(0, 1, 0)).frame({.minWidth = 100})})
             .frame(150, 100),
         {},
         "Color",
         {{-12.5, 0, 75, 100}, {62.5, 0, 100, 100}}},
        {"a spacer of minimum length 0 shrinks to nothing when space runs out",
         HStack(V::center, 0, {rect(120, 20), Spacer(0)}),
         {100.0, 40.0},
         "Spacer",
         {{120, 10, 0, 0}}},
        {"a spacer without a minimum keeps the default 8 points",
         HStack(V::center, 0, {rect(100, 20), Spacer()}),
         {100.0, 40.0},
         "Spacer",
         {{100, 10, 8, 0}}},
        {"a higher layout priority gets its ideal width first",
         HStack(V::center, 0, {caption("ABCDEFGHIJ").layoutPriority(1), View(Color::black)})
             .frame(100, 13),
         {},
         "Color",
         {{60, 0, 40, 13}}},
        {"HStack centres children vertically, 8 apart, by default",
         HStack({rect(10, 40), rect(10, 10)}),
         {100.0, 100.0},
         "Rectangle",
         {{0, 0, 10, 40}, {18, 15, 10, 10}}},
        {"HStack bottom alignment",
         HStack(V::bottom, 2, {rect(10, 40), rect(10, 10)}),
         {100.0, 100.0},
         "Rectangle",
         {{0, 0, 10, 40}, {12, 30, 10, 10}}},
        {"an ideal-size stack adds its children and gaps",
         HStack(V::top, 3, {rect(10, 5), rect(20, 8)}),
         {},
         "HStack",
         {{0, 0, 33, 8}}},
        {"a divider in a VStack is a horizontal line one device pixel thick across the stack",
         VStack(H::center, 0, {rect(80, 10), Divider(), rect(40, 10)}),
         {200.0, 200.0},
         "Divider",
         {{0, 10, 200, 0.5}}},
        {"a divider in an HStack is vertical",
         HStack(V::center, 0, {rect(10, 30), Divider()}),
         {100.0, 30.0},
         "Divider",
         {{10, 0, 0.5, 30}}},
        {"ForEach children join the stack, one after another",
         column,
         {100.0, 100.0},
         "Rectangle",
         {{0, 18, 10, 10}, {0, 33, 20, 10}, {0, 48, 30, 10}}},
        {"a Group in a stack joins it too",
         HStack(V::top, 1, {rect(5, 5), Group({rect(6, 6), rect(7, 7)})}),
         {},
         "Rectangle",
         {{0, 0, 5, 5}, {6, 0, 6, 6}, {13, 0, 7, 7}}},
        {"a Group outside a stack is its one child",
         Group(rect(30, 20)),
         {100.0, 100.0},
         "Group",
         {{0, 0, 30, 20}}},
        {"a Group of several outside a stack stacks them 8 apart",
         Group({rect(6, 6), rect(10, 4)}),
         {100.0, 100.0},
         "Group",
         {{0, 0, 10, 18}}},
        {"ZStack is as large as its largest children and aligns them",
         ZStack(Alignment::bottomTrailing, {rect(40, 20), rect(10, 30)}),
         {100.0, 100.0},
         "Rectangle",
         {{0, 10, 40, 20}, {30, 0, 10, 30}}},
        {"ZStack offers every child the whole proposal",
         ZStack({View(Color::black), rect(10, 10)}),
         {60.0, 40.0},
         "Rectangle",
         {{25, 15, 10, 10}}},
        {"an empty stack has no size", VStack({}), {100.0, 100.0}, "VStack", {{0, 0, 0, 0}}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        expectFrames(framesOf(lay(c.tree, c.proposal), c.type), c.frames);
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
