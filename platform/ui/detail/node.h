#pragma once
// The concrete nodes behind ui::View. Private to platform/ui: only the catalog, the modifiers
// and layout see them. A node is immutable once built and shared between views.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/ui/catalog.h"
#include "platform/ui/layout.h"
#include "platform/ui/view.h"

namespace ui::detail {

struct EmptyNode {};

struct CompositeNode {
    std::string typeName{};
    std::function<View()> body;
};

// Where a child sits along one axis of a larger span: at its start (leading or top), centred,
// or at its end (trailing or bottom).
enum class AxisAlignment { start, center, end };

constexpr AxisAlignment axisAlignment(HorizontalAlignment a) {
    switch (a) {
        case HorizontalAlignment::leading: return AxisAlignment::start;
        case HorizontalAlignment::center: return AxisAlignment::center;
        case HorizontalAlignment::trailing: return AxisAlignment::end;
    }
    return AxisAlignment::center;
}

constexpr AxisAlignment axisAlignment(VerticalAlignment a) {
    switch (a) {
        case VerticalAlignment::top: return AxisAlignment::start;
        case VerticalAlignment::center: return AxisAlignment::center;
        case VerticalAlignment::bottom: return AxisAlignment::end;
    }
    return AxisAlignment::center;
}

struct StackNode {
    Axis axis = Axis::vertical;
    AxisAlignment crossAlignment = AxisAlignment::center;
    std::optional<double> spacing{};
    std::vector<View> children{};
};

struct ZStackNode {
    Alignment alignment{};
    std::vector<View> children{};
};

// Group and ForEach: children that join the stack holding them.
struct GroupNode {
    bool isForEach = false;
    std::vector<View> children{};
};

struct SpacerNode {
    std::optional<double> minLength{};
};

struct DividerNode {};

struct GeometryReaderNode {
    std::function<View(const GeometryProxy&)> content;
};

struct TextNode {
    bool verbatim = false;
    std::string key{};
    std::vector<TextArgument> arguments{};
};

struct ImageNode {
    std::string systemName{};
};

struct ShapeNode {
    ShapeKind kind = ShapeKind::rectangle;
    RoundedCornerStyle cornerStyle = RoundedCornerStyle::continuous;
    double trimFrom = 0;
    double trimTo = 1;
    // Neither set: filled with the foreground style.
    std::optional<ShapeStyle> fill{};
    std::optional<ShapeStyle> strokePaint{};
    StrokeStyle stroke{};
};

// A colour or gradient as a view: fills what it is offered.
struct StyleViewNode {
    ShapeStyle style{};
};

struct FrameNode {
    std::optional<double> width{};
    std::optional<double> height{};
    Alignment alignment{};
    View child{};
};

struct FlexibleFrameNode {
    FlexibleFrame bounds{};
    View child{};
};

struct PaddingNode {
    EdgeInsets insets{};
    View child{};
};

struct LayoutPriorityNode {
    double priority = 0;
    View child{};
};

struct EnvironmentNode {
    std::function<void(EnvironmentValues&)> apply;
    View child{};
};

// A foreground style is resolved against the one in force, so it is not a plain write.
struct ForegroundStyleNode {
    ShapeStyle style{};
    View child{};
};

// background(style) / background(alignment, view).
struct DecorationNode {
    std::optional<ShapeStyle> style{};
    std::optional<View> content{};
    Alignment alignment{};
    View child{};
};

struct ContainerBackgroundNode {
    Alignment alignment{};
    View content{};
    View child{};
};

struct EffectNode {
    double opacity = 1;
    Angle rotation{};
    UnitPoint anchor = UnitPoint::center;
    View child{};
};

struct Node {
    std::variant<EmptyNode, CompositeNode, StackNode, ZStackNode, GroupNode, SpacerNode,
                 DividerNode, GeometryReaderNode, TextNode, ImageNode, ShapeNode, StyleViewNode,
                 FrameNode, FlexibleFrameNode, PaddingNode, LayoutPriorityNode, EnvironmentNode,
                 ForegroundStyleNode, DecorationNode, ContainerBackgroundNode, EffectNode>
        kind;
};

template <class T>
View makeView(T node) {
    return View(std::make_shared<const Node>(Node{std::move(node)}));
}

// The node of a view, never null.
const Node& nodeOf(const View& view);

}  // namespace ui::detail
