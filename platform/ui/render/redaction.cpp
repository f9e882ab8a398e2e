#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/ui/render/render.h"

namespace render {
namespace {

// A bar fills this share of its line's height, centred in it, as a placeholder's text does.
constexpr double kBarShareOfLine = 0.6;

// The text's own colour at the secondary level (half its alpha, as ui::secondary resolves it).
ui::Paint secondaryOf(ui::Paint paint) {
    paint.color.alpha *= 0.5;
    for (ui::RGBA& stop : paint.stops) stop.alpha *= 0.5;
    return paint;
}

// One capsule per drawn line of `text`, each as wide as the text's frame.
ui::LaidOutNode barsFor(const ui::LaidOutNode& node, const ui::LaidOutText& text) {
    ui::LaidOutNode bars;
    bars.type = "Redacted";
    bars.frame = node.frame;
    bars.opacity = node.opacity;
    bars.rotation = node.rotation;
    bars.anchor = node.anchor;
    const std::size_t lines = std::max<std::size_t>(text.lines.size(), 1);
    const double slot =
        text.lineHeight > 0 ? text.lineHeight : node.frame.height / static_cast<double>(lines);
    for (std::size_t i = 0; i < lines; ++i) {
        const double height = std::max(1.0, slot * kBarShareOfLine);
        const double top = node.frame.y + slot * static_cast<double>(i) + (slot - height) / 2;
        if (top + height > node.frame.maxY() + 0.5) break;
        ui::LaidOutNode bar;
        bar.type = "Capsule";
        bar.frame = ui::Rect{node.frame.x, top, node.frame.width, height};
        if (node.paint) bar.paint = secondaryOf(*node.paint);
        bar.accentable = node.accentable;
        ui::LaidOutShape shape;
        shape.kind = ui::ShapeKind::capsule;
        shape.outline = bar.frame;
        shape.cornerRadius = height / 2;
        shape.cornerStyle = ui::RoundedCornerStyle::circular;
        bar.content = shape;
        bars.children.push_back(std::move(bar));
    }
    return bars;
}

void redactNode(ui::LaidOutNode& node) {
    if (const auto* text = std::get_if<ui::LaidOutText>(&node.content)) {
        node = barsFor(node, *text);
        return;
    }
    for (ui::LaidOutNode& child : node.children) redactNode(child);
}

// `row` is the nearest stack around `node` when that stack is an HStack: texts side by side in
// one row ("projects" and "296.0 KB") read as one phrase.
void collectTexts(const ui::LaidOutNode& node, const ui::LaidOutNode* row,
                  std::vector<std::string>& out, const ui::LaidOutNode*& lastRow) {
    if (const auto* text = std::get_if<ui::LaidOutText>(&node.content)) {
        if (text->composed.empty()) return;
        if (row != nullptr && row == lastRow && !out.empty()) {
            out.back() += " " + text->composed;
        } else {
            out.push_back(text->composed);
        }
        lastRow = row;
        return;
    }
    if (node.type == "HStack") row = &node;
    if (node.type == "VStack" || node.type == "ZStack") row = nullptr;
    for (const ui::LaidOutNode& child : node.children) collectTexts(child, row, out, lastRow);
}

}  // namespace

void redact(ui::LaidOutTile& tile) {
    if (tile.containerBackground) redactNode(*tile.containerBackground);
    redactNode(tile.content);
}

std::vector<std::string> tileTexts(const ui::LaidOutTile& tile) {
    std::vector<std::string> texts;
    const ui::LaidOutNode* lastRow = nullptr;
    if (tile.containerBackground) collectTexts(*tile.containerBackground, nullptr, texts, lastRow);
    collectTexts(tile.content, nullptr, texts, lastRow);
    return texts;
}

}  // namespace render
