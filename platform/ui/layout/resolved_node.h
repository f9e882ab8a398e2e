#pragma once
// The contract between layout's files. Layout first resolves the view tree under its environment
// into ResolvedNodes (composite bodies evaluated once, environment modifiers applied, styles
// resolved), then measures and places those. Each kind of node derives its own ResolvedNode in
// the file named after it and owns its sizing and placing there; modifiers that only change
// the environment or the node beneath them resolve in resolve.cpp and leave no node of their own.

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/detail/node.h"
#include "platform/ui/environment.h"
#include "platform/ui/geometry.h"
#include "platform/ui/layout.h"
#include "platform/ui/text_measurer.h"
#include "platform/ui/view.h"

namespace ui::detail {

// Between stack children without a spacing of their own, and between the children of a Group
// laid out outside a stack.
inline constexpr double kDefaultSpacing = 8;
// What a shape, colour or GeometryReader takes on an axis offered nothing.
inline constexpr double kUnspecifiedLength = 10;
// A spacer's priority inside a stack: it gets what the others leave.
inline constexpr double kLowestPriority = -infinity;

// State shared by one layout pass.
struct LayoutContext {
    const TextMeasurer& measurer;
    // The first containerBackground met while resolving, laid out over the whole tile.
    struct Background {
        View content;
        Alignment alignment;
        EnvironmentValues env;
    };
    std::optional<Background> containerBackground{};
};

class ResolvedNode {
public:
    // `typeName` is the laid-out node's type; `source` is kept alive for the node's lifetime.
    ResolvedNode(std::string typeName, const View& source, const EnvironmentValues& environment);
    virtual ~ResolvedNode() = default;
    ResolvedNode(const ResolvedNode&) = delete;
    ResolvedNode& operator=(const ResolvedNode&) = delete;

    // The size this node chooses for `proposal`. Remembered per proposal: measuring is pure.
    Size sizeThatFits(ProposedSize proposal, LayoutContext& ctx);

    // This node laid out for `proposal`, its top-left corner at `origin`.
    LaidOutNode place(Point origin, ProposedSize proposal, LayoutContext& ctx);

    std::string type;
    View view;
    EnvironmentValues env;
    std::vector<std::unique_ptr<ResolvedNode>> children{};
    // Written by the modifiers resolved into this node.
    double opacity = 1;
    Angle rotation{};
    UnitPoint anchor = UnitPoint::center;
    double priority = 0;
    bool accentable = false;
    std::optional<Paint> paint{};

protected:
    virtual Size measure(ProposedSize proposal, LayoutContext& ctx) = 0;
    // Adds content and placed children to `out`, whose frame (the chosen size at the origin),
    // paint and effects are already set. By default it adds nothing: the node is its paint.
    virtual void placeContent(LaidOutNode& out, ProposedSize proposal, LayoutContext& ctx);

private:
    std::vector<std::pair<ProposedSize, Size>> memo_{};
};

using ResolvedPtr = std::unique_ptr<ResolvedNode>;

// What a node resolves under: its view, the environment in force, the axis of the stack holding
// it (read by spacers and dividers; nullopt outside a stack) and the pass's context.
struct ResolveScope {
    const View& view;
    const EnvironmentValues& env;
    std::optional<Axis> stackAxis;
    LayoutContext& ctx;
};

ResolvedPtr resolve(const View& view, const EnvironmentValues& env, std::optional<Axis> stackAxis,
                    LayoutContext& ctx);

// One per alternative of Node, each defined in the file named after its kind (the modifiers
// without a node of their own in resolve.cpp).
ResolvedPtr resolveNode(const EmptyNode& node, const ResolveScope& scope);
ResolvedPtr resolveNode(const CompositeNode& node, const ResolveScope& scope);
ResolvedPtr resolveNode(const StackNode& node, const ResolveScope& scope);
ResolvedPtr resolveNode(const ZStackNode& node, const ResolveScope& scope);
ResolvedPtr resolveNode(const GroupNode& node, const ResolveScope& scope);
ResolvedPtr resolveNode(const SpacerNode& node, const ResolveScope& scope);
ResolvedPtr resolveNode(const DividerNode& node, const ResolveScope& scope);
ResolvedPtr resolveNode(const GeometryReaderNode& node, const ResolveScope& scope);
ResolvedPtr resolveNode(const TextNode& node, const ResolveScope& scope);
ResolvedPtr resolveNode(const ImageNode& node, const ResolveScope& scope);
ResolvedPtr resolveNode(const ShapeNode& node, const ResolveScope& scope);
ResolvedPtr resolveNode(const StyleViewNode& node, const ResolveScope& scope);
ResolvedPtr resolveNode(const FrameNode& node, const ResolveScope& scope);
ResolvedPtr resolveNode(const FlexibleFrameNode& node, const ResolveScope& scope);
ResolvedPtr resolveNode(const PaddingNode& node, const ResolveScope& scope);
ResolvedPtr resolveNode(const LayoutPriorityNode& node, const ResolveScope& scope);
ResolvedPtr resolveNode(const EnvironmentNode& node, const ResolveScope& scope);
ResolvedPtr resolveNode(const ForegroundStyleNode& node, const ResolveScope& scope);
ResolvedPtr resolveNode(const DecorationNode& node, const ResolveScope& scope);
ResolvedPtr resolveNode(const ContainerBackgroundNode& node, const ResolveScope& scope);
ResolvedPtr resolveNode(const EffectNode& node, const ResolveScope& scope);

// Axis arithmetic, so that one piece of code serves both axes.
inline double along(Size s, Axis a) { return a == Axis::horizontal ? s.width : s.height; }
inline double across(Size s, Axis a) { return a == Axis::horizontal ? s.height : s.width; }
inline std::optional<double> along(ProposedSize p, Axis a) {
    return a == Axis::horizontal ? p.width : p.height;
}
inline std::optional<double> across(ProposedSize p, Axis a) {
    return a == Axis::horizontal ? p.height : p.width;
}
inline ProposedSize proposal(Axis a, std::optional<double> major, std::optional<double> minor) {
    return a == Axis::horizontal ? ProposedSize{major, minor} : ProposedSize{minor, major};
}
inline Size size(Axis a, double major, double minor) {
    return a == Axis::horizontal ? Size{major, minor} : Size{minor, major};
}
inline Point point(Axis a, double major, double minor) {
    return a == Axis::horizontal ? Point{major, minor} : Point{minor, major};
}

// The offset of a `child` long span inside a `container` long one.
inline double alignOffset(double container, double child, AxisAlignment alignment) {
    switch (alignment) {
        case AxisAlignment::start: return 0;
        case AxisAlignment::center: return (container - child) / 2;
        case AxisAlignment::end: break;
    }
    return container - child;
}

// Where a child of size `child` goes inside `container`.
inline Point alignedOrigin(Rect container, Size child, Alignment a) {
    return {container.x + alignOffset(container.width, child.width, axisAlignment(a.horizontal)),
            container.y + alignOffset(container.height, child.height, axisAlignment(a.vertical))};
}

// Proposes `child` the size it will have, then places it by `alignment` inside `frame`.
inline LaidOutNode placeAligned(ResolvedNode& child, Rect frame, ProposedSize childProposal,
                                Alignment alignment, LayoutContext& ctx) {
    const Size s = child.sizeThatFits(childProposal, ctx);
    return child.place(alignedOrigin(frame, s, alignment), childProposal, ctx);
}

}  // namespace ui::detail
