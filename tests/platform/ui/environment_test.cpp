// The environment: typed keys written for a subtree and read by composite bodies, and the
// resolution of styles against colour scheme, tint and foreground.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/platform/ui/layout_fixture.h"

namespace ui {
namespace {

using testing::findNode;
using testing::findNodes;

struct WidthKey {
    using Value = double;
    static Value defaultValue() { return 1; }
};

// Shows the width it reads as the width of a rectangle.
struct WidthProbe {
    View body() const { return Rectangle().frame(readEnvironment<WidthKey>(), 1); }
};

TEST(Environment, CompositeBodiesReadTheValueInForceWhereTheyAreLaidOut) {
    struct Case {
        std::string name;
        View tree;
        double width;
    };
    const Case cases[] = {
        {"default when nothing is written", View(WidthProbe{}), 1},
        {"written on the view itself", View(WidthProbe{}).environment(WidthKey{}, 2.0), 2},
        {"written on an ancestor", VStack({View(WidthProbe{})}).environment<WidthKey>(3.0), 3},
        {"the nearest write wins",
         VStack({View(WidthProbe{}).environment(WidthKey{}, 2.0)}).environment(WidthKey{}, 3.0), 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LaidOutNode root = test::lay(c.tree, {});
        const LaidOutNode* rect = findNode(root, "Rectangle");
        ASSERT_NE(rect, nullptr);
        EXPECT_DOUBLE_EQ(rect->frame.width, c.width);
    }
}

TEST(StyleResolution, HierarchicalTintAndAccentColours) {
    // Each row: a tree, the colour scheme, and the colour its one leaf is painted.
    struct Case {
        View tree;
        ColorScheme scheme;
        RGBA expected;
    };
    const auto light = ColorScheme::light;
    const auto dark = ColorScheme::dark;
    const Color red(1, 0, 0);
    const Color green(0, 1, 0);
    const Case cases[] = {
        // Secondary in dark; secondary and quaternary below a custom colour are that colour at
        // their opacity.
        {Text::verbatim("x").foregroundStyle(secondary), dark, {1, 1, 1, 0.549}},
        {Rectangle().fill(secondary).foregroundStyle(red), light, {1, 0, 0, 0.5}},
        {Rectangle().fill(quaternary).foregroundStyle(red), light, {1, 0, 0, 0.18}},
        // Tint defaults to the accent colour, or is set on an ancestor.
        {Rectangle().fill(tint), light, {0, 122 / 255.0, 1, 1}},
        {Rectangle().fill(tint).tint(green), light, {0, 1, 0, 1}},
        // The accent colour with an opacity, in dark; a style's opacity multiplies.
        {Rectangle().fill(Color::accentColor.opacity(0.08)),
         dark,
         {10 / 255.0, 132 / 255.0, 1, 0.08}},
        {Rectangle().fill(ShapeStyle(Color(1, 1, 1, 0.5)).opacity(0.5)), light, {1, 1, 1, 0.25}},
        // An unstyled shape fills with the foreground.
        {Rectangle().foregroundStyle(green), light, {0, 1, 0, 1}},
    };
    for (std::size_t row = 0; row < std::size(cases); ++row) {
        SCOPED_TRACE("row " + std::to_string(row));
        const Case& c = cases[row];
        EnvironmentValues env;
        env.set<ColorSchemeKey>(c.scheme);
        const LaidOutNode root = test::lay(c.tree, {10.0, 10.0}, env);
        const LaidOutNode* leaf = findNode(root, "Rectangle");
        if (leaf == nullptr) leaf = findNode(root, "Text");
        ASSERT_TRUE(leaf != nullptr && leaf->paint.has_value());
        EXPECT_EQ(leaf->paint->kind, Paint::Kind::solid);
        const RGBA& got = leaf->paint->color;
        const RGBA& e = c.expected;
        EXPECT_TRUE(std::abs(got.red - e.red) < 1e-3 && std::abs(got.green - e.green) < 1e-3 &&
                    std::abs(got.blue - e.blue) < 1e-3 && std::abs(got.alpha - e.alpha) < 1e-3)
            << got.red << " " << got.green << " " << got.blue << " " << got.alpha;
    }
}

TEST(StyleResolution, AccentableIsInheritedAndCanBeTurnedOffAndOpacityMultiplies) {
    const View tree = VStack({Rectangle().frame(1, 1),
                              Rectangle().frame(2, 2).widgetAccentable(false), Text::verbatim("x")})
                          .widgetAccentable();
    const LaidOutNode root = test::lay(tree, {});
    const auto rects = findNodes(root, "Rectangle");
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_TRUE(rects[0]->accentable);
    EXPECT_FALSE(rects[1]->accentable);
    EXPECT_TRUE(findNode(root, "Text")->accentable);
    EXPECT_FALSE(test::lay(Rectangle(), {}).accentable);

    EXPECT_DOUBLE_EQ(test::lay(Rectangle().opacity(0.5).opacity(0.5), {}).opacity, 0.25);
    EXPECT_DOUBLE_EQ(test::lay(Rectangle().opacity(3), {}).opacity, 1);
}

}  // namespace
}  // namespace ui
