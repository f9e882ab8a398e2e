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
#include "platform/widgetkit/family.h"
#include "platform/widgetkit/host/widget_tile.h"

namespace brimlet_test {

using Texts = std::vector<std::string>;
using ui::testing::findNode;
using ui::testing::findNodes;

inline const ui::TextMeasurer& fixedMeasurer() {
    static const ui::testing::FixedMeasurer measurer;
    return measurer;
}

// The tile of `family`, in the environment a host gives the view.
inline ui::LaidOutTile layTile(const ui::View& view, widgetkit::WidgetFamily family) {
    ui::TileLayoutOptions options;
    options.size =
        ui::Size{widgetkit::displaySize(family).width, widgetkit::displaySize(family).height};
    return ui::layoutTile(view, options, fixedMeasurer(), widgetkit::host::environmentFor(family));
}

inline std::string dump(const ui::LaidOutTile& tile) { return ui::toJson(tile).value_or("-"); }

inline const ui::LaidOutText& textContent(const ui::LaidOutNode& n) {
    return std::get<ui::LaidOutText>(n.content);
}

// Every text leaf's composed text, in depth-first pre-order.
inline Texts textsIn(const ui::LaidOutNode& root) {
    Texts out;
    for (const ui::LaidOutNode* n : findNodes(root, "Text"))
        out.push_back(textContent(*n).composed);
    return out;
}

// The first text leaf whose composed text is `text`; nullptr when none.
inline const ui::LaidOutNode* findText(const ui::LaidOutNode& root, std::string_view text) {
    for (const ui::LaidOutNode* n : findNodes(root, "Text")) {
        if (textContent(*n).composed == text) return n;
    }
    return nullptr;
}

inline bool contains(const ui::Rect& outer, const ui::Rect& inner, double e = 1e-9) {
    return inner.x >= outer.x - e && inner.y >= outer.y - e && inner.maxX() <= outer.maxX() + e &&
           inner.maxY() <= outer.maxY() + e;
}

// The tile less its margins: where all content must stay.
inline ui::Rect contentArea(widgetkit::WidgetFamily family,
                            double m = ui::TileLayoutOptions{}.contentMargin) {
    return ui::Rect{m, m, widgetkit::displaySize(family).width - 2 * m,
                    widgetkit::displaySize(family).height - 2 * m};
}

// Fails for every node of the content that reaches out of `area`.
inline void expectInside(const ui::LaidOutNode& node, const ui::Rect& area) {
    EXPECT_TRUE(contains(area, node.frame)) << "a " << node.type << " node overflows the content";
    for (const ui::LaidOutNode& child : node.children) expectInside(child, area);
}

// A text drawn on one line that kept its first and last characters around an ellipsis.
inline void expectCutInTheMiddle(const ui::LaidOutNode& node) {
    const ui::LaidOutText& text = textContent(node);
    ASSERT_EQ(text.lines.size(), 1u);
    const auto ellipsis = text.lines[0].find("\xE2\x80\xA6");
    EXPECT_TRUE(text.truncated && ellipsis > 0 && ellipsis != std::string::npos) << text.lines[0];
    EXPECT_EQ(text.lines[0].back(), text.composed.back()) << text.lines[0];
}

inline ui::RGBA rgba(const ui::Color& c) { return {c.red, c.green, c.blue, c.alpha}; }

// The colour rule's three colours, written out rather than taken from fullnessColor.
inline constexpr ui::RGBA kGreen{0.11, 0.69, 0.48, 1};
inline constexpr ui::RGBA kAmber{0.94, 0.65, 0.0, 1};
inline constexpr ui::RGBA kRed{0.89, 0.29, 0.28, 1};

}  // namespace brimlet_test
