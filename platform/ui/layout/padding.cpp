// padding: the child is offered the proposal less the insets (never below 0) and placed inside
// them; the padding takes the child's size plus the insets.

#include <algorithm>

#include "platform/ui/layout/resolved_node.h"

namespace ui::detail {

namespace {

ProposedSize inset(ProposedSize p, const EdgeInsets& e) {
    auto shrink = [](std::optional<double> v, double by) -> std::optional<double> {
        if (!v) return v;
        return std::max(*v - by, 0.0);
    };
    return {shrink(p.width, e.leading + e.trailing), shrink(p.height, e.top + e.bottom)};
}

class Padding final : public ResolvedNode {
public:
    Padding(const PaddingNode& node, const ResolveScope& scope)
        : ResolvedNode("Padding", scope.view, scope.env), insets_(node.insets) {}

protected:
    Size measure(ProposedSize p, LayoutContext& ctx) override {
        const EdgeInsets& e = insets_;
        const Size c = children[0]->sizeThatFits(inset(p, e), ctx);
        return {c.width + e.leading + e.trailing, c.height + e.top + e.bottom};
    }

    void placeContent(LaidOutNode& out, ProposedSize p, LayoutContext& ctx) override {
        const Point origin{out.frame.x + insets_.leading, out.frame.y + insets_.top};
        out.children.push_back(children[0]->place(origin, inset(p, insets_), ctx));
    }

private:
    EdgeInsets insets_;
};

}  // namespace

ResolvedPtr resolveNode(const PaddingNode& node, const ResolveScope& scope) {
    auto r = std::make_unique<Padding>(node, scope);
    r->children.push_back(resolve(node.child, scope.env, scope.stackAxis, scope.ctx));
    return r;
}

}  // namespace ui::detail
