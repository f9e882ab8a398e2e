// The laid-out tree as JSON: what a reviewer reads of a tile.

#include <gtest/gtest.h>

#include <string>

#include "platform/ui/layout_json.h"
#include "tests/platform/ui/layout_fixture.h"

namespace ui {
namespace {

TEST(LayoutJson, TileHoldsBackgroundThenContentWithTextAsComposedAndAsDrawn) {
    const View content =
        VStack(HorizontalAlignment::leading, 4,
               {Text("%lld%%", {std::int64_t{62}})
                    .font(Font::system(15, Font::Weight::semibold))
                    .monospacedDigit()
                    .contentTransition(ContentTransition::numericText(false))
                    .widgetAccentable(),
                Text::verbatim("abcdefghijklmnopqrstuvwxyz0123456789")
                    .font(Font::caption)
                    .foregroundStyle(secondary)
                    .lineLimit(1)
                    .truncationMode(TruncationMode::middle)
                    .minimumScaleFactor(0.8)
                    .tracking(0.5)
                    .frame(150, std::nullopt),
                Circle()
                    .trim(0, 0.5)
                    .stroke(Color::black, StrokeStyle{6, LineCap::round})
                    .rotationEffect(Angle::degrees(-90))
                    .frame(26, 26)})
            .containerBackground(
                ContainerBackgroundPlacement::widget, Alignment::center,
                View(LinearGradient(Gradient{{Color::accentColor.opacity(0.08), Color::clear}},
                                    UnitPoint::top, UnitPoint::bottom)));
    const auto json = toJson(layoutTile(content, {.size = {364, 170}}, test::fixedMeasurer()), 0);
    ASSERT_TRUE(json.has_value());
    const char* expected[] = {
        R"({"type":"Tile","frame":[0,0,364,170],"colorScheme":"light","renderingMode":"fullColor")",
        R"("children":[{"type":"ContainerBackground","frame":[0,0,364,170])",
        R"("linearGradient":{"colors":[{"color":"#007AFF","opacity":0.08},{"color":"#000000","opacity":0}],"start":[0.5,0],"end":[0.5,1]})",
        R"("text":"62%","lines":["62%"],"truncated":false,"scale":1)",
        R"("font":{"size":15,"weight":"semibold","design":"default","style":"custom","monospacedDigit":true})",
        R"("contentTransition":{"numericText":true,"countsDown":false})",
        R"("accentable":true)",
        R"("lines":["abcdefghijklmn…xyz0123456789"],"truncated":true,"scale":0.8)",
        R"("style":{"color":"#000000","opacity":0.498})",
        R"("trim":[0,0.5],"stroke":{"lineWidth":6,"lineCap":"round"})",
        R"("rotation":-90)",
    };
    for (const char* part : expected) EXPECT_NE(json->find(part), std::string::npos) << part;
    EXPECT_LT(json->find("ContainerBackground"), json->find("VStack"));
}

TEST(LayoutJson, FramesAreInTilePointsRoundedToThousandths) {
    const View third = Rectangle().frame(100.0 / 3.0, 10);
    const auto json = toJson(layoutTile(third, {.size = {170, 170}}, test::fixedMeasurer()), 0);
    ASSERT_TRUE(json.has_value());
    EXPECT_NE(json->find(R"("frame":[68.333,80,33.333,10])"), std::string::npos) << *json;
}

// A name from data that is not UTF-8 is drawn with U+FFFD; the program's own text, if it ever
// were not, fails instead of writing bad JSON.
TEST(LayoutJson, InvalidUtf8InATextFailsInsteadOfWritingBadJson) {
    EXPECT_FALSE(toJson(test::lay(Text("bad \xFF byte"), {})).has_value());
    const auto name = toJson(test::lay(Text::verbatim("bad \xFF byte"), {}));
    EXPECT_NE(name.value_or("").find("\"bad \uFFFD byte\""), std::string::npos);
}

}  // namespace
}  // namespace ui
