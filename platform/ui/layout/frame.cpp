// frame(width:height:alignment:) and frame(minWidth:idealWidth:maxWidth:...). A fixed frame is
// exact on each axis it sets and passes the proposal through on the others; a flexible frame
// clamps the proposal to its bounds. Either places its child by its alignment, and the child may
// overflow.

#include <algorithm>

#include "platform/ui/layout/resolved_node.h"

namespace ui::detail {

namespace {

class FixedFrame final : public ResolvedNode {
public:
    FixedFrame(const FrameNode& node, const ResolveScope& scope)
        : ResolvedNode("Frame", scope.view, scope.env), node_(node) {}

protected:
    Size measure(ProposedSize p, LayoutContext& ctx) override {
        if (node_.width && node_.height) return {*node_.width, *node_.height};
        const Size c = children[0]->sizeThatFits(childProposal(p), ctx);
        return {node_.width.value_or(c.width), node_.height.value_or(c.height)};
    }

    void placeContent(LaidOutNode& out, ProposedSize p, LayoutContext& ctx) override {
        out.children.push_back(
            placeAligned(*children[0], out.frame, childProposal(p), node_.alignment, ctx));
    }

private:
    ProposedSize childProposal(ProposedSize p) const {
        return {node_.width ? node_.width : p.width, node_.height ? node_.height : p.height};
    }

    const FrameNode& node_;
};

// One axis of a flexible frame: what it was offered and its bounds.
struct AxisBounds {
    std::optional<double> proposed, min, ideal, max;
};

// What the child is offered on one axis: the proposal (or, offered nothing, the ideal) clamped
// to the bounds.
std::optional<double> innerProposal(const AxisBounds& b) {
    std::optional<double> v = b.proposed ? b.proposed : b.ideal;
    if (v) {
        if (b.min) v = std::max(*v, *b.min);
        if (b.max) v = std::min(*v, *b.max);
    }
    return v;
}

// The frame's length on one axis, given what its child chose there.
double frameLength(const AxisBounds& b, std::optional<double> inner, double child) {
    if (b.proposed && b.min && b.max) {
        return std::min(std::max(*b.proposed, *b.min), std::max(*b.max, *b.min));
    }
    if (!b.proposed && b.ideal) {
        double v = *b.ideal;
        if (b.min) v = std::max(v, *b.min);
        if (b.max) v = std::min(v, *b.max);
        return v;
    }
    if (b.min && b.max) return std::min(std::max(child, *b.min), std::max(*b.max, *b.min));
    if (b.min) return std::max(std::min(inner.value_or(infinity), child), *b.min);
    if (b.max) return std::min(std::max(inner.value_or(-infinity), child), *b.max);
    return child;
}

class ClampingFrame final : public ResolvedNode {
public:
    ClampingFrame(const FlexibleFrameNode& node, const ResolveScope& scope)
        : ResolvedNode("Frame", scope.view, scope.env), node_(node) {}

protected:
    Size measure(ProposedSize p, LayoutContext& ctx) override {
        const AxisBounds w = horizontal(p);
        const AxisBounds h = vertical(p);
        const ProposedSize cp = childProposal(p);
        const Size c = children[0]->sizeThatFits(cp, ctx);
        return {frameLength(w, cp.width, c.width), frameLength(h, cp.height, c.height)};
    }

    void placeContent(LaidOutNode& out, ProposedSize p, LayoutContext& ctx) override {
        out.children.push_back(
            placeAligned(*children[0], out.frame, childProposal(p), node_.bounds.alignment, ctx));
    }

private:
    AxisBounds horizontal(ProposedSize p) const {
        const ui::FlexibleFrame& f = node_.bounds;
        return {p.width, f.minWidth, f.idealWidth, f.maxWidth};
    }
    AxisBounds vertical(ProposedSize p) const {
        const ui::FlexibleFrame& f = node_.bounds;
        return {p.height, f.minHeight, f.idealHeight, f.maxHeight};
    }
    ProposedSize childProposal(ProposedSize p) const {
        return {innerProposal(horizontal(p)), innerProposal(vertical(p))};
    }

    const FlexibleFrameNode& node_;
};

}  // namespace

ResolvedPtr resolveNode(const FrameNode& node, const ResolveScope& scope) {
    auto r = std::make_unique<FixedFrame>(node, scope);
    r->children.push_back(resolve(node.child, scope.env, scope.stackAxis, scope.ctx));
    return r;
}

ResolvedPtr resolveNode(const FlexibleFrameNode& node, const ResolveScope& scope) {
    auto r = std::make_unique<ClampingFrame>(node, scope);
    r->children.push_back(resolve(node.child, scope.env, scope.stackAxis, scope.ctx));
    return r;
}

}  // namespace ui::detail
