// Stacks, spacers, ZStack, Group and ForEach: each case a tree, a proposal and the frames that
// the platform's own layout gives for it.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/platform/ui/layout_fixture.h"

namespace ui {
namespace {

using test::expectFrames;
using test::framesOf;
using test::lay;

struct StackCase {
    std::string name;
    std::function<View()> tree;
    ProposedSize proposal;
    std::string nodeType;
    std::vector<Rect> expected;
};

View caption(std::string_view s) { return Text::verbatim(s).font(Font::caption); }

const std::vector<StackCase>& stackCases() {
    static const std::vector<StackCase> cases = {
        {"max-width child and min-width child share 150 as 75 and 100, overflowing",
         [] {
             return HStack(VerticalAlignment::center, 0,
                           {View(Color(1, 0, 0)).frame({.maxWidth = 100}),
                            View(Color(0, 1, 0)).frame({.minWidth = 100})})
                 .frame(150, 100);
         },
         {}, "Color", {{-12.5, 0, 75, 100}, {62.5, 0, 100, 100}}},
        {"three flexible children in 620 with spacing 10 get 200 each",
         [] {
             return HStack(VerticalAlignment::center, 10,
                           {View(Color::white), View(Color::black), View(Color::white)})
                 .frame(620, 50);
         },
         {}, "Color", {{0, 0, 200, 50}, {210, 0, 200, 50}, {420, 0, 200, 50}}},
        {"a spacer of minimum length 0 takes all the free space",
         [] {
             return HStack(VerticalAlignment::center, 0,
                           {Rectangle().frame(50, 20), Spacer(0), Rectangle().frame(30, 20)});
         },
         {200.0, 40.0}, "Spacer", {{50, 10, 120, 0}}},
        {"a spacer of minimum length 0 shrinks to nothing when space runs out",
         [] { return HStack(VerticalAlignment::center, 0, {Rectangle().frame(120, 20), Spacer(0)}); },
         {100.0, 40.0}, "Spacer", {{120, 10, 0, 0}}},
        {"a spacer without a minimum keeps the default 8 points",
         [] { return HStack(VerticalAlignment::center, 0, {Rectangle().frame(100, 20), Spacer()}); },
         {100.0, 40.0}, "Spacer", {{100, 10, 8, 0}}},
        {"spacer in a VStack grows vertically",
         [] {
             return VStack(HorizontalAlignment::leading, 4,
                           {Rectangle().frame(30, 10), Spacer(0), Rectangle().frame(30, 10)});
         },
         {50.0, 100.0}, "Spacer", {{0, 14, 0, 72}}},
        {"the least flexible child is sized first: text before colour",
         [] {
             return HStack(VerticalAlignment::center, 0, {caption("ABCDEFGHIJ"), View(Color::black)})
                 .frame(100, 13);
         },
         {}, "Text", {{0, 0, 48, 13}}},
        {"its remainder goes to the colour",
         [] {
             return HStack(VerticalAlignment::center, 0, {caption("ABCDEFGHIJ"), View(Color::black)})
                 .frame(100, 13);
         },
         {}, "Color", {{48, 0, 52, 13}}},
        {"a higher layout priority gets its ideal width first",
         [] {
             return HStack(VerticalAlignment::center, 0,
                           {caption("ABCDEFGHIJ").layoutPriority(1), View(Color::black)})
                 .frame(100, 13);
         },
         {}, "Color", {{60, 0, 40, 13}}},
        {"HStack centres children vertically by default",
         [] { return HStack({Rectangle().frame(10, 40), Rectangle().frame(10, 10)}); },
         {100.0, 100.0}, "Rectangle", {{0, 0, 10, 40}, {18, 15, 10, 10}}},
        {"HStack bottom alignment",
         [] {
             return HStack(VerticalAlignment::bottom, 2,
                           {Rectangle().frame(10, 40), Rectangle().frame(10, 10)});
         },
         {100.0, 100.0}, "Rectangle", {{0, 0, 10, 40}, {12, 30, 10, 10}}},
        {"VStack leading alignment",
         [] {
             return VStack(HorizontalAlignment::leading, 5,
                           {Rectangle().frame(40, 10), Rectangle().frame(80, 10)});
         },
         {200.0, 200.0}, "Rectangle", {{0, 0, 40, 10}, {0, 15, 80, 10}}},
        {"VStack trailing alignment",
         [] {
             return VStack(HorizontalAlignment::trailing, 5,
                           {Rectangle().frame(40, 10), Rectangle().frame(80, 10)});
         },
         {200.0, 200.0}, "Rectangle", {{40, 0, 40, 10}, {0, 15, 80, 10}}},
        {"an ideal-size stack adds its children and gaps",
         [] {
             return HStack(VerticalAlignment::top, 3,
                           {Rectangle().frame(10, 5), Rectangle().frame(20, 8)});
         },
         {}, "HStack", {{0, 0, 33, 8}}},
        {"a divider in a VStack is a horizontal line one device pixel thick across the stack",
         [] {
             return VStack(HorizontalAlignment::center, 0,
                           {Rectangle().frame(80, 10), Divider(), Rectangle().frame(40, 10)});
         },
         {200.0, 200.0}, "Divider", {{0, 10, 200, 0.5}}},
        {"a divider in an HStack is vertical",
         [] { return HStack(VerticalAlignment::center, 0, {Rectangle().frame(10, 30), Divider()}); },
         {100.0, 30.0}, "Divider", {{10, 0, 0.5, 30}}},
        {"ForEach children join the stack, one after another",
         [] {
             const std::vector<double> widths{10, 20, 30};
             return VStack(HorizontalAlignment::leading, 5,
                           {caption("T"), ForEach(widths, [](double w) {
                                return Rectangle().frame(w, 10);
                            })});
         },
         {100.0, 100.0}, "Rectangle", {{0, 18, 10, 10}, {0, 33, 20, 10}, {0, 48, 30, 10}}},
        {"ForEach shows as one node spanning its children",
         [] {
             const std::vector<double> widths{10, 20, 30};
             return VStack(HorizontalAlignment::leading, 5,
                           {caption("T"), ForEach(widths, [](double w) {
                                return Rectangle().frame(w, 10);
                            })});
         },
         {100.0, 100.0}, "ForEach", {{0, 18, 30, 40}}},
        {"a Group in a stack joins it too",
         [] {
             return HStack(VerticalAlignment::top, 1,
                           {Rectangle().frame(5, 5),
                            Group({Rectangle().frame(6, 6), Rectangle().frame(7, 7)})});
         },
         {}, "Rectangle", {{0, 0, 5, 5}, {6, 0, 6, 6}, {13, 0, 7, 7}}},
        {"a Group outside a stack is its one child",
         [] { return Group(Rectangle().frame(30, 20)); },
         {100.0, 100.0}, "Group", {{0, 0, 30, 20}}},
        {"ZStack is as large as its largest children and aligns them",
         [] {
             return ZStack(Alignment::bottomTrailing,
                           {Rectangle().frame(40, 20), Rectangle().frame(10, 30)});
         },
         {100.0, 100.0}, "Rectangle", {{0, 10, 40, 20}, {30, 0, 10, 30}}},
        {"ZStack offers every child the whole proposal",
         [] { return ZStack({View(Color::black), Rectangle().frame(10, 10)}); },
         {60.0, 40.0}, "Rectangle", {{25, 15, 10, 10}}},
    };
    return cases;
}

TEST(StackLayout, KnownAnswers) {
    for (const StackCase& c : stackCases()) {
        SCOPED_TRACE(c.name);
        const LaidOutNode root = lay(c.tree(), c.proposal);
        expectFrames(framesOf(root, c.nodeType), c.expected);
    }
}

TEST(StackLayout, ProposalsAreWhatAChildIsOfferedNotWhatItChose) {
    // A GeometryReader reports the width the HStack offered it: the space left after the two
    // fixed texts and the gaps, as a bar row needs.
    double offered = -1;
    const View row = HStack(VerticalAlignment::center, 8,
                            {caption("name").frame(96, std::nullopt, Alignment::leading),
                             GeometryReader([&offered](const GeometryProxy& g) {
                                 offered = g.size.width;
                                 return View(Color::black);
                             }).frame(std::nullopt, 12),
                             caption("1 GB").frame(56, std::nullopt, Alignment::trailing)});
    const LaidOutNode root = lay(row, {332.0, 20.0});
    EXPECT_DOUBLE_EQ(offered, 332 - 96 - 56 - 16);
    EXPECT_DOUBLE_EQ(root.frame.width, 332);
    EXPECT_DOUBLE_EQ(root.frame.height, 13);
}

TEST(StackLayout, VStackSharesItsHeightAsHStackSharesItsWidth) {
    // The same children, built for each axis: one capped at 50 along it, one unbounded, a
    // spacer and a fixed square. The VStack's frames are the HStack's, transposed.
    auto children = [](Axis axis) {
        const FlexibleFrame capped = axis == Axis::horizontal ? FlexibleFrame{.maxWidth = 50}
                                                              : FlexibleFrame{.maxHeight = 50};
        return std::vector<View>{View(Color::black).frame(capped), View(Color::white), Spacer(0),
                                 Rectangle().frame(20, 20)};
    };
    const LaidOutNode h =
        lay(HStack(VerticalAlignment::top, 10, children(Axis::horizontal)), {200.0, 30.0});
    const LaidOutNode v =
        lay(VStack(HorizontalAlignment::leading, 10, children(Axis::vertical)), {30.0, 200.0});
    const std::vector<Rect> across = framesOf(h, "Color");
    std::vector<Rect> transposed;
    for (const Rect& r : framesOf(v, "Color")) transposed.push_back({r.y, r.x, r.height, r.width});
    expectFrames(transposed, across);
    expectFrames(across, {{0, 0, 50, 30}, {60, 0, 100, 30}});
}

TEST(StackLayout, EmptyStackHasNoSize) {
    const LaidOutNode root = lay(VStack({}), {100.0, 100.0});
    test::expectFrame(root.frame, {0, 0, 0, 0});
    const LaidOutNode empty = lay(HStack({View(), View()}), {100.0, 100.0});
    EXPECT_TRUE(empty.children.empty());
}

}  // namespace
}  // namespace ui
