// The pango measurer with the Inter face: what layout relies on.

#include <gtest/gtest.h>

#include "platform/ui/render/render.h"
#include "platform/ui/testing/layout_queries.h"
#include "platform/ui/ui.h"

namespace render {
namespace {

TEST(PangoMeasurer, WidthGrowsWithTextSizeWeightAndTrackingAndDigitsCanBeTabular) {
    const auto m = makeTextMeasurer();
    EXPECT_EQ(m->width("", ui::Font::body, 0), 0);
    const double one = m->width("a", ui::Font::body, 0);
    EXPECT_GT(one, 0);
    EXPECT_NEAR(m->width("aa", ui::Font::body, 0), 2 * one, 1e-3);
    const double body = m->width("Macintosh HD", ui::Font::body, 0);
    EXPECT_NEAR(m->width("Macintosh HD", ui::Font::system(26), 0), 2 * body, body * 0.02);
    EXPECT_GT(m->width("Macintosh HD", ui::Font::headline, 0), body);
    // Tracking adds space between the characters: 6 gaps in "BY KIND".
    const ui::Font label = ui::Font::system(9, ui::Font::Weight::semibold);
    const double added = m->width("BY KIND", label, 0.5) - m->width("BY KIND", label, 0);
    EXPECT_GT(added, 0.5 * 5);
    EXPECT_LT(added, 0.5 * 8);
    // Text styles' desktop line heights: 13 pt body on 16 pt lines, 10 pt caption on 13.
    EXPECT_NEAR(m->lineHeight(ui::Font::body), 16, 1.5);
    EXPECT_NEAR(m->lineHeight(ui::Font::caption), 13, 1.5);
    // Monospaced digits have one width.
    const ui::Font tabular = ui::Font::caption2.monospacedDigit();
    EXPECT_NE(m->width("111", ui::Font::caption2, 0), m->width("888", ui::Font::caption2, 0));
    EXPECT_DOUBLE_EQ(m->width("111", tabular, 0), m->width("888", tabular, 0));
}

TEST(PangoMeasurer, LayoutWithPangoTruncatesToTheProposedWidth) {
    const ui::View name = ui::Text::verbatim("A very long folder name that cannot fit")
                              .font(ui::Font::caption)
                              .lineLimit(1)
                              .truncationMode(ui::TruncationMode::middle)
                              .frame(96, std::nullopt, ui::Alignment::leading);
    const auto m = makeTextMeasurer();
    const ui::LaidOutNode root = ui::layout(name, {}, *m);
    const auto& t = std::get<ui::LaidOutText>(ui::testing::findNode(root, "Text")->content);
    ASSERT_EQ(t.lines.size(), 1u);
    EXPECT_TRUE(t.truncated);
    EXPECT_EQ(t.lines[0].rfind("A ", 0), 0u);
    EXPECT_NE(t.lines[0].find("\xE2\x80\xA6"), std::string::npos);
    EXPECT_EQ(t.lines[0].substr(t.lines[0].size() - 3), "fit");
    EXPECT_LE(m->width(t.lines[0], ui::Font::caption, 0), 96 + 1e-6);
}

}  // namespace
}  // namespace render
