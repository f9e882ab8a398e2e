// The laid-out tree as JSON: what a reviewer reads of a tile.

#include <gtest/gtest.h>

#include <string>

#include "platform/ui/layout_json.h"
#include "tests/platform/ui/layout_fixture.h"

namespace ui {
namespace {

LaidOutTile sampleTile() {
    const View content =
        VStack(HorizontalAlignment::leading, 4,
               {Text("%lld%%", {std::int64_t{62}})
                    .font(Font::system(15, Font::Weight::semibold))
                    .monospacedDigit()
                    .contentTransition(ContentTransition::numericText(false))
                    .widgetAccentable(),
                Text::verbatim("abcdefghijklmnopqrstuvwxyz0123456789abcdefghijklmnopqrstuvwxyz0123456789")
                    .font(Font::caption)
                    .foregroundStyle(secondary)
                    .lineLimit(1)
                    .minimumScaleFactor(0.8),
                Circle().trim(0, 0.5).stroke(Color(0.11, 0.69, 0.48), StrokeStyle{6, LineCap::round})
                    .rotationEffect(Angle::degrees(-90))
                    .frame(26, 26)})
            .containerBackground(ContainerBackgroundPlacement::widget, Alignment::center,
                                 View(LinearGradient(Gradient{{Color::accentColor.opacity(0.08),
                                                               Color::clear}},
                                                     UnitPoint::top, UnitPoint::bottom))
                                     .background(background));
    return layoutTile(content, {.size = {364, 170}}, test::fixedMeasurer());
}

TEST(LayoutJson, TileHoldsBackgroundThenContentWithTextAsComposedAndAsDrawn) {
    const auto json = toJson(sampleTile(), 0);
    ASSERT_TRUE(json.has_value());
    const std::string& s = *json;
    const char* expected[] = {
        R"({"type":"Tile","frame":[0,0,364,170],"colorScheme":"light","renderingMode":"fullColor")",
        R"("tint":{"color":"#007AFF","opacity":1})",
        R"("children":[{"type":"ContainerBackground","frame":[0,0,364,170])",
        R"({"type":"LinearGradient","frame":[0,0,364,170])",
        R"("linearGradient":{"colors":[{"color":"#007AFF","opacity":0.08},{"color":"#000000","opacity":0}],"start":[0.5,0],"end":[0.5,1]})",
        R"("text":"62%","lines":["62%"],"truncated":false,"scale":1)",
        R"("font":{"size":15,"weight":"semibold","design":"default","style":"custom","monospacedDigit":true})",
        R"("contentTransition":{"numericText":true,"countsDown":false})",
        R"("accentable":true)",
        R"("text":"abcdefghijklmnopqrstuvwxyz0123456789abcdefghijklmnopqrstuvwxyz0123456789","lines":["abcdefghijklmnopqrstuvwxyz0123456789abcdefghijklmnopqrstuvwxyz012345…"],"truncated":true,"scale":0.8)",
        R"("style":{"color":"#000000","opacity":0.498})",
        R"("shape":"circle","outline":[)",
        R"("trim":[0,0.5],"stroke":{"lineWidth":6,"lineCap":"round"})",
        R"("rotation":-90)",
    };
    for (const char* part : expected) {
        SCOPED_TRACE(part);
        EXPECT_NE(s.find(part), std::string::npos) << s;
    }
    // The background comes before the content.
    EXPECT_LT(s.find("ContainerBackground"), s.find("VStack"));
}

TEST(LayoutJson, FramesAreInTilePointsRoundedToThousandths) {
    const View third = Rectangle().frame(100.0 / 3.0, 10);
    const LaidOutTile tile = layoutTile(third, {.size = {170, 170}}, test::fixedMeasurer());
    const auto json = toJson(tile, 0);
    ASSERT_TRUE(json.has_value());
    EXPECT_NE(json->find(R"("frame":[68.333,80,33.333,10])"), std::string::npos) << *json;
}

TEST(LayoutJson, InvalidUtf8InATextFailsInsteadOfWritingBadJson) {
    const LaidOutNode root = test::lay(Text::verbatim("bad \xFF byte"), {});
    EXPECT_FALSE(toJson(root).has_value());
}

TEST(LayoutJson, IndentedOutputPutsMembersOnTheirOwnLines) {
    const auto json = toJson(test::lay(Rectangle(), {}), 2);
    ASSERT_TRUE(json.has_value());
    EXPECT_NE(json->find("\n  \"type\""), std::string::npos) << *json;
}

}  // namespace
}  // namespace ui
