#pragma once
// Small language for the widgets' view tests: lay a widget out in a tile of one family with the
// fixed-advance measurer, then read back texts, frames and paints from the laid-out tree.

#include <gtest/gtest.h>

#include <optional>
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

inline const ui::TextMeasurer& fixedMeasurer() {
    static const ui::testing::FixedMeasurer measurer;
    return measurer;
}

// The tile of `family` (small 170×170, medium 364×170, large 364×382), with the family in the
// environment the host gives the view.
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

inline const ui::LaidOutText* textOf(const ui::LaidOutNode& node) {
    return std::get_if<ui::LaidOutText>(&node.content);
}

// The text a node draws; a failure and an empty text when the node is not a text leaf.
inline const ui::LaidOutText& textContent(const ui::LaidOutNode& node) {
    static const ui::LaidOutText none;
    const ui::LaidOutText* text = textOf(node);
    if (text == nullptr) {
        ADD_FAILURE() << "a " << node.type << " node is not a text leaf";
        return none;
    }
    return *text;
}

// Every text leaf's composed text, in depth-first pre-order.
inline std::vector<std::string> textsIn(const ui::LaidOutNode& root) {
    std::vector<std::string> out;
    for (const ui::LaidOutNode* n : ui::testing::findNodes(root, "Text")) {
        if (const auto* t = textOf(*n)) out.push_back(t->composed);
    }
    return out;
}

// The first text leaf whose composed text is `text`; nullptr when none.
inline const ui::LaidOutNode* findText(const ui::LaidOutNode& root, std::string_view text) {
    for (const ui::LaidOutNode* n : ui::testing::findNodes(root, "Text")) {
        if (const auto* t = textOf(*n); t != nullptr && t->composed == text) return n;
    }
    return nullptr;
}

// The nodes from `root` down to `target`'s parent, outermost first; empty when `target` is
// `root` or not under it.
inline bool pathTo(const ui::LaidOutNode& root, const ui::LaidOutNode* target,
                   std::vector<const ui::LaidOutNode*>& path) {
    if (&root == target) return true;
    path.push_back(&root);
    for (const ui::LaidOutNode& child : root.children) {
        if (pathTo(child, target, path)) return true;
    }
    path.pop_back();
    return false;
}

// The nearest node of `type` above `target` under `root`; nullptr when there is none.
inline const ui::LaidOutNode* enclosing(const ui::LaidOutNode& root, const ui::LaidOutNode* target,
                                        std::string_view type) {
    std::vector<const ui::LaidOutNode*> path;
    if (!pathTo(root, target, path)) return nullptr;
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
        if ((*it)->type == type) return *it;
    }
    return nullptr;
}

// The tile as JSON, for failure messages.
inline std::string dump(const ui::LaidOutTile& tile) {
    return ui::toJson(tile).value_or("<no JSON form>");
}
inline std::string dump(const ui::LaidOutNode& node) {
    return ui::toJson(node).value_or("<no JSON form>");
}

inline std::string str(const ui::RGBA& c) {
    return "{" + std::to_string(c.red) + ", " + std::to_string(c.green) + ", " +
           std::to_string(c.blue) + ", " + std::to_string(c.alpha) + "}";
}

// Exact colour equality: the colour rule's constants and opacity factors are stored as given.
inline ::testing::AssertionResult sameColor(const ui::RGBA& actual, const ui::RGBA& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << str(actual) << " is not " << str(expected);
}

inline ::testing::AssertionResult sameColor(const ui::Color& actual, const ui::RGBA& expected) {
    if (actual.kind != ui::Color::Kind::rgb) {
        return ::testing::AssertionFailure() << "the colour is the accent colour, not an sRGB value";
    }
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
