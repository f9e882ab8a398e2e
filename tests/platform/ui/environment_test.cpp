// The environment: typed keys written for a subtree and read by composite bodies, and the
// resolution of styles against colour scheme, tint and foreground.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/ui/testing/layout_queries.h"
#include "tests/platform/ui/layout_fixture.h"

namespace ui {
namespace {

using testing::findNode;
using testing::findNodes;

enum class Family { small, medium, large };

struct FamilyKey {
    using Value = Family;
    static Value defaultValue() { return Family::small; }
};

// Shows the family it reads as the width of a rectangle.
struct FamilyProbe {
    View body() const {
        const Family f = readEnvironment<FamilyKey>();
        return Rectangle().frame(f == Family::small ? 1 : f == Family::medium ? 2 : 3, 1);
    }
};

struct CountingView {
    std::shared_ptr<int> calls;
    View body() const {
        ++*calls;
        return Rectangle().frame(5, 5);
    }
};

TEST(Environment, CompositeBodiesReadTheValueInForceWhereTheyAreLaidOut) {
    struct Case {
        std::string name;
        View tree;
        double width;
    };
    const Case cases[] = {
        {"default when nothing is written", View(FamilyProbe{}), 1},
        {"written on the view itself", View(FamilyProbe{}).environment(FamilyKey{}, Family::medium),
         2},
        {"written on an ancestor",
         VStack({View(FamilyProbe{})}).environment<FamilyKey>(Family::large), 3},
        {"the nearest write wins",
         VStack({View(FamilyProbe{}).environment(FamilyKey{}, Family::medium)})
             .environment(FamilyKey{}, Family::large),
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LaidOutNode root = test::lay(c.tree, {});
        const LaidOutNode* rect = findNode(root, "Rectangle");
        ASSERT_NE(rect, nullptr);
        EXPECT_DOUBLE_EQ(rect->frame.width, c.width);
    }
}

TEST(Environment, OutsideLayoutReadsGiveDefaults) {
    EXPECT_EQ(readEnvironment<FamilyKey>(), Family::small);
    EXPECT_EQ(readEnvironment<FontKey>(), Font::body);
    // A layout in progress does not leak its environment once it returns.
    test::lay(View(FamilyProbe{}).environment(FamilyKey{}, Family::large), {});
    EXPECT_EQ(readEnvironment<FamilyKey>(), Family::small);
}

TEST(Environment, BodiesAreEvaluatedLazilyOncePerLayout) {
    auto calls = std::make_shared<int>(0);
    const View v = HStack({View(CountingView{calls}), Spacer(0)});
    EXPECT_EQ(*calls, 0);
    test::lay(v, {100.0, 100.0});
    EXPECT_EQ(*calls, 1);
    test::lay(v, {50.0, 100.0});
    EXPECT_EQ(*calls, 2);
}

TEST(Environment, CompositeTypeNameShowsInTheLaidOutTree) {
    const LaidOutNode root = test::lay(View(FamilyProbe{}), {});
    EXPECT_EQ(root.type, "FamilyProbe");
    ASSERT_EQ(root.children.size(), 1u);
    EXPECT_EQ(root.children[0].type, "Frame");
}

TEST(Environment, CopiesAreIndependent) {
    EnvironmentValues a;
    a.set<FamilyKey>(Family::medium);
    EnvironmentValues b = a;
    b.set<FamilyKey>(Family::large);
    EXPECT_EQ(a.get<FamilyKey>(), Family::medium);
    EXPECT_EQ(b.get<FamilyKey>(), Family::large);
}

Paint paintOf(const View& v, ColorScheme scheme = ColorScheme::light) {
    EnvironmentValues env;
    env.set<ColorSchemeKey>(scheme);
    const LaidOutNode root = test::lay(v, {10.0, 10.0}, env);
    const LaidOutNode* leaf = findNode(root, "Rectangle");
    if (leaf == nullptr) leaf = findNode(root, "Text");
    if (leaf == nullptr || !leaf->paint) return {};
    return *leaf->paint;
}

void expectColor(const RGBA& actual, const RGBA& expected) {
    EXPECT_NEAR(actual.red, expected.red, 1e-3);
    EXPECT_NEAR(actual.green, expected.green, 1e-3);
    EXPECT_NEAR(actual.blue, expected.blue, 1e-3);
    EXPECT_NEAR(actual.alpha, expected.alpha, 1e-3);
}

TEST(StyleResolution, HierarchicalTintBackgroundAndAccentColours) {
    struct Case {
        std::string name;
        View tree;
        ColorScheme scheme;
        RGBA expected;
    };
    const RGBA blueLight{0, 122 / 255.0, 1, 1};
    const RGBA blueDark{10 / 255.0, 132 / 255.0, 1, 1};
    const Case cases[] = {
        {"primary text light", Text::verbatim("x"), ColorScheme::light, {0, 0, 0, 0.847}},
        {"primary text dark", Text::verbatim("x"), ColorScheme::dark, {1, 1, 1, 0.847}},
        {"secondary light", Text::verbatim("x").foregroundStyle(secondary), ColorScheme::light,
         {0, 0, 0, 0.498}},
        {"secondary dark", Text::verbatim("x").foregroundStyle(secondary), ColorScheme::dark,
         {1, 1, 1, 0.549}},
        {"quaternary fill light", Rectangle().fill(quaternary), ColorScheme::light,
         {0, 0, 0, 0.098}},
        {"tertiary dark", Rectangle().fill(tertiary), ColorScheme::dark, {1, 1, 1, 0.247}},
        {"secondary under a custom colour is that colour at half", 
         Rectangle().fill(secondary).foregroundStyle(Color(1, 0, 0)), ColorScheme::light,
         {1, 0, 0, 0.5}},
        {"quaternary under a custom colour", Rectangle().fill(quaternary).foregroundStyle(Color(1, 0, 0)),
         ColorScheme::light, {1, 0, 0, 0.18}},
        {"foreground secondary set below a colour",
         Text::verbatim("x").foregroundStyle(secondary).foregroundStyle(Color(0, 0, 1)),
         ColorScheme::light, {0, 0, 1, 0.5}},
        {"tint defaults to the accent colour", Rectangle().fill(tint), ColorScheme::light,
         blueLight},
        {"tint in dark", Rectangle().fill(tint), ColorScheme::dark, blueDark},
        {"tint set on an ancestor", Rectangle().fill(tint).tint(Color(0, 1, 0)),
         ColorScheme::light, {0, 1, 0, 1}},
        {"accent colour with opacity", Rectangle().fill(Color::accentColor.opacity(0.08)),
         ColorScheme::dark, {blueDark.red, blueDark.green, blueDark.blue, 0.08}},
        {"background style light", Rectangle().fill(background), ColorScheme::light,
         {0xEC / 255.0, 0xEC / 255.0, 0xEC / 255.0, 1}},
        {"background style dark", Rectangle().fill(background), ColorScheme::dark,
         {0x32 / 255.0, 0x32 / 255.0, 0x32 / 255.0, 1}},
        {"style opacity multiplies", Rectangle().fill(ShapeStyle(Color(1, 1, 1, 0.5)).opacity(0.5)),
         ColorScheme::light, {1, 1, 1, 0.25}},
        {"an unstyled shape fills with the foreground", Rectangle().foregroundStyle(Color(0, 1, 0)),
         ColorScheme::light, {0, 1, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Paint p = paintOf(c.tree, c.scheme);
        EXPECT_EQ(p.kind, Paint::Kind::solid);
        expectColor(p.color, c.expected);
    }
}

TEST(StyleResolution, GradientStopsResolveEachColour) {
    const View g = View(LinearGradient(Gradient{{Color::accentColor.opacity(0.08), Color::clear}},
                                       UnitPoint::top, UnitPoint::bottom));
    const LaidOutNode root = test::lay(g, {10.0, 10.0});
    ASSERT_TRUE(root.paint.has_value());
    ASSERT_EQ(root.paint->kind, Paint::Kind::linearGradient);
    ASSERT_EQ(root.paint->stops.size(), 2u);
    expectColor(root.paint->stops[0], {0, 122 / 255.0, 1, 0.08});
    expectColor(root.paint->stops[1], {0, 0, 0, 0});
    EXPECT_EQ(root.paint->startPoint, UnitPoint::top);
    EXPECT_EQ(root.paint->endPoint, UnitPoint::bottom);
}

TEST(StyleResolution, AccentableIsInheritedAndCanBeTurnedOff) {
    const View tree = VStack({Rectangle().frame(1, 1),
                              Rectangle().frame(2, 2).widgetAccentable(false),
                              Text::verbatim("x")})
                          .widgetAccentable();
    const LaidOutNode root = test::lay(tree, {});
    const auto rects = findNodes(root, "Rectangle");
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_TRUE(rects[0]->accentable);
    EXPECT_FALSE(rects[1]->accentable);
    EXPECT_TRUE(findNode(root, "Text")->accentable);
    EXPECT_FALSE(test::lay(Rectangle(), {}).accentable);
}

TEST(StyleResolution, OpacityMultipliesDownTheTree) {
    const LaidOutNode root = test::lay(Rectangle().opacity(0.5).opacity(0.5), {});
    EXPECT_DOUBLE_EQ(root.opacity, 0.25);
    EXPECT_DOUBLE_EQ(test::lay(Rectangle().opacity(3), {}).opacity, 1);
}

}  // namespace
}  // namespace ui
