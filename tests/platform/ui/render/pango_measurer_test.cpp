// The pango measurer with the Inter face: what layout relies on.

#include <gtest/gtest.h>

#include "platform/ui/render/render.h"
#include "platform/ui/testing/layout_queries.h"
#include "platform/ui/ui.h"

namespace render {
namespace {

class PangoMeasurerTest : public ::testing::Test {
protected:
    std::unique_ptr<ui::TextMeasurer> m = makeTextMeasurer();
};

TEST_F(PangoMeasurerTest, EmptyTextHasNoWidthAndWidthGrowsWithText) {
    EXPECT_EQ(m->width("", ui::Font::body, 0), 0);
    const double one = m->width("a", ui::Font::body, 0);
    const double two = m->width("aa", ui::Font::body, 0);
    EXPECT_GT(one, 0);
    EXPECT_NEAR(two, 2 * one, 1e-3);
}

TEST_F(PangoMeasurerTest, MonospacedDigitsHaveOneWidth) {
    const ui::Font proportional = ui::Font::caption2;
    const ui::Font tabular = proportional.monospacedDigit();
    EXPECT_NE(m->width("111", proportional, 0), m->width("888", proportional, 0));
    EXPECT_DOUBLE_EQ(m->width("111", tabular, 0), m->width("888", tabular, 0));
}

TEST_F(PangoMeasurerTest, WidthScalesWithSizeAndWeight) {
    const double body = m->width("Macintosh HD", ui::Font::body, 0);
    const double twice = m->width("Macintosh HD", ui::Font::system(26), 0);
    EXPECT_NEAR(twice, 2 * body, body * 0.02);
    EXPECT_GT(m->width("Macintosh HD", ui::Font::headline, 0), body);
}

TEST_F(PangoMeasurerTest, TrackingAddsSpaceBetweenCharacters) {
    const double plain = m->width("BY KIND", ui::Font::system(9, ui::Font::Weight::semibold), 0);
    const double tracked =
        m->width("BY KIND", ui::Font::system(9, ui::Font::Weight::semibold), 0.5);
    EXPECT_GT(tracked - plain, 0.5 * 5);
    EXPECT_LT(tracked - plain, 0.5 * 8);
}

TEST_F(PangoMeasurerTest, LineHeightIsNearTheDesktopLeading) {
    // Text styles' desktop line heights: 13 pt body on 16 pt lines, 10 pt caption on 13.
    EXPECT_NEAR(m->lineHeight(ui::Font::body), 16, 1.5);
    EXPECT_NEAR(m->lineHeight(ui::Font::caption), 13, 1.5);
}

TEST_F(PangoMeasurerTest, LayoutWithPangoTruncatesToTheProposedWidth) {
    const ui::View name = ui::Text::verbatim("A very long folder name that cannot fit")
                              .font(ui::Font::caption)
                              .lineLimit(1)
                              .truncationMode(ui::TruncationMode::middle)
                              .frame(96, std::nullopt, ui::Alignment::leading);
    const ui::LaidOutNode root = ui::layout(name, {}, *m);
    const auto* text = ui::testing::findNode(root, "Text");
    ASSERT_NE(text, nullptr);
    const auto& t = std::get<ui::LaidOutText>(text->content);
    ASSERT_EQ(t.lines.size(), 1u);
    EXPECT_TRUE(t.truncated);
    EXPECT_NE(t.lines[0].find("\xE2\x80\xA6"), std::string::npos);
    EXPECT_EQ(t.lines[0].rfind("A ", 0), 0u);
    EXPECT_LE(m->width(t.lines[0], ui::Font::caption, 0), 96 + 1e-6);
    EXPECT_EQ(t.lines[0].substr(t.lines[0].size() - 3), "fit");
}

}  // namespace
}  // namespace render
