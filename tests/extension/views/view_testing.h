#pragma once
// Small language for the widgets' view tests: lay a widget out in a tile of one family with the
// fixed-advance measurer, then read back texts, frames and paints from the laid-out tree.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/layout.h"
#include "platform/ui/layout_json.h"
#include "platform/ui/testing/fixed_measurer.h"
#include "platform/ui/testing/layout_queries.h"
#include "platform/ui/ui.h"
#include "platform/widgetkit/environment.h"
#include "platform/widgetkit/family.h"

namespace brimlet_test {

using Texts = std::vector<std::string>;
using ui::testing::findNode;
using ui::testing::findNodes;

inline const ui::TextMeasurer& fixedMeasurer() {
    static const ui::testing::FixedMeasurer measurer;
    return measurer;
}

// The tile of `family`, with the family in the environment the host gives the view.
inline ui::LaidOutTile layTile(const ui::View& view, widgetkit::WidgetFamily family) {
    const widgetkit::DisplaySize size = widgetkit::displaySize(family);
    ui::TileLayoutOptions options;
    options.size = ui::Size{size.width, size.height};
    ui::EnvironmentValues environment;
    environment.set<widgetkit::WidgetFamilyKey>(family);
    return ui::layoutTile(view, options, fixedMeasurer(), environment);
}

// A view laid out alone at `proposal`, with the top-left corner at the origin.
inline ui::LaidOutNode lay(const ui::View& view, ui::ProposedSize proposal) {
    return ui::layout(view, proposal, fixedMeasurer());
}

// The text a node draws; a failure and an empty text when the node is not a text leaf.
inline const ui::LaidOutText& textContent(const ui::LaidOutNode& node) {
    static const ui::LaidOutText none;
    if (const auto* text = std::get_if<ui::LaidOutText>(&node.content)) return *text;
    ADD_FAILURE() << "a " << node.type << " node is not a text leaf";
    return none;
}

// Every text leaf's composed text, in depth-first pre-order.
inline Texts textsIn(const ui::LaidOutNode& root) {
    Texts out;
    for (const ui::LaidOutNode* n : findNodes(root, "Text")) out.push_back(textContent(*n).composed);
    return out;
}

// The first text leaf whose composed text is `text`; nullptr when none.
inline const ui::LaidOutNode* findText(const ui::LaidOutNode& root, std::string_view text) {
    for (const ui::LaidOutNode* n : findNodes(root, "Text")) {
        if (textContent(*n).composed == text) return n;
    }
    return nullptr;
}

inline std::string dump(const ui::LaidOutTile& tile) {
    return ui::toJson(tile).value_or("<no JSON form>");
}

inline bool contains(const ui::Rect& outer, const ui::Rect& inner) {
    constexpr double e = 1e-9;
    return inner.x >= outer.x - e && inner.y >= outer.y - e && inner.maxX() <= outer.maxX() + e &&
           inner.maxY() <= outer.maxY() + e;
}

// The tile less its margins: where all content must stay.
inline ui::Rect contentArea(widgetkit::WidgetFamily family) {
    const widgetkit::DisplaySize s = widgetkit::displaySize(family);
    const double m = ui::TileLayoutOptions{}.contentMargin;
    return ui::Rect{m, m, s.width - 2 * m, s.height - 2 * m};
}

// Fails for every node of the content that reaches out of `area`.
inline void expectInside(const ui::LaidOutNode& node, const ui::Rect& area) {
    EXPECT_TRUE(contains(area, node.frame)) << "a " << node.type << " node overflows the content";
    for (const ui::LaidOutNode& child : node.children) expectInside(child, area);
}

// A text drawn on one line that kept its first and last characters around an ellipsis.
inline void expectCutInTheMiddle(const ui::LaidOutNode& node) {
    const ui::LaidOutText& text = textContent(node);
    EXPECT_TRUE(text.truncated);
    ASSERT_EQ(text.lines.size(), 1u);
    const std::string& line = text.lines[0];
    const auto ellipsis = line.find("\xE2\x80\xA6");
    ASSERT_NE(ellipsis, std::string::npos) << line;
    EXPECT_GT(ellipsis, 0u) << line;
    EXPECT_EQ(line.back(), text.composed.back()) << line;
}

inline ::testing::AssertionResult sameColor(const ui::RGBA& actual, const ui::RGBA& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "{" << actual.red << ", " << actual.green << ", " << actual.blue << ", "
           << actual.alpha << "} is not {" << expected.red << ", " << expected.green << ", "
           << expected.blue << ", " << expected.alpha << "}";
}

inline ::testing::AssertionResult sameColor(const ui::Color& actual, const ui::RGBA& expected) {
    return sameColor(ui::RGBA{actual.red, actual.green, actual.blue, actual.alpha}, expected);
}

inline ui::RGBA withAlpha(ui::RGBA c, double alpha) {
    c.alpha = alpha;
    return c;
}

// The colour rule's three colours, written out rather than taken from fullnessColor.
inline constexpr ui::RGBA kGreen{0.11, 0.69, 0.48, 1};
inline constexpr ui::RGBA kAmber{0.94, 0.65, 0.0, 1};
inline constexpr ui::RGBA kRed{0.89, 0.29, 0.28, 1};

}  // namespace brimlet_test
