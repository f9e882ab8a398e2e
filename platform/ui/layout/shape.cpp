// Shapes, and colours and gradients used as views: they take the whole proposal
// (kUnspecifiedLength on an axis offered nothing). A circle takes the largest centred square.
// A shape is filled, or stroked when a stroke is set; the stroke straddles the outline.

#include <algorithm>

#include "platform/ui/detail/resolve_style.h"
#include "platform/ui/layout/resolved_node.h"

namespace ui::detail {

namespace {

Size wholeProposal(ProposedSize p) {
    return {p.width.value_or(kUnspecifiedLength), p.height.value_or(kUnspecifiedLength)};
}

const char* shapeName(ShapeKind kind) {
    switch (kind) {
        case ShapeKind::rectangle: return "Rectangle";
        case ShapeKind::capsule: return "Capsule";
        case ShapeKind::circle: return "Circle";
    }
    return "Rectangle";
}

class Shape final : public ResolvedNode {
public:
    Shape(const ShapeNode& node, const ResolveScope& scope)
        : ResolvedNode(shapeName(node.kind), scope.view, scope.env), node_(node) {
        const ShapeStyle style = node.fill          ? *node.fill
                                 : node.strokePaint ? *node.strokePaint
                                                    : ShapeStyle(primary);
        paint = resolvePaint(style, env);
    }

protected:
    Size measure(ProposedSize p, LayoutContext&) override {
        Size s = wholeProposal(p);
        if (node_.kind == ShapeKind::circle) {
            const double side = std::min(s.width, s.height);
            s = {side, side};
        }
        return s;
    }

    void placeContent(LaidOutNode& out, ProposedSize, LayoutContext&) override {
        const Rect frame = out.frame;
        LaidOutShape shape;
        shape.kind = node_.kind;
        shape.outline = frame;
        shape.cornerStyle = node_.cornerStyle;
        const bool round = node_.kind == ShapeKind::capsule || node_.kind == ShapeKind::circle;
        shape.cornerRadius = round ? std::min(frame.width, frame.height) / 2 : 0;
        shape.trimFrom = node_.trimFrom;
        shape.trimTo = node_.trimTo;
        if (node_.strokePaint) shape.stroke = node_.stroke;
        out.content = shape;
    }

private:
    const ShapeNode& node_;
};

// Color or LinearGradient as a view: its paint fills the whole frame.
class StyleView final : public ResolvedNode {
public:
    using ResolvedNode::ResolvedNode;

protected:
    Size measure(ProposedSize p, LayoutContext&) override { return wholeProposal(p); }
};

}  // namespace

ResolvedPtr resolveNode(const ShapeNode& node, const ResolveScope& scope) {
    return std::make_unique<Shape>(node, scope);
}

ResolvedPtr resolveNode(const StyleViewNode& node, const ResolveScope& scope) {
    const bool gradient = std::holds_alternative<LinearGradient>(node.style.value());
    auto r =
        std::make_unique<StyleView>(gradient ? "LinearGradient" : "Color", scope.view, scope.env);
    r->paint = resolvePaint(node.style, scope.env);
    return r;
}

}  // namespace ui::detail
