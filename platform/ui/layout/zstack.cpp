// ZStack: every child is offered the whole proposal and placed by the stack's alignment, later
// children on top. The stack takes the largest size among its highest-priority children.

#include <algorithm>

#include "platform/ui/layout/resolved_node.h"

namespace ui::detail {

namespace {

class ZStack final : public ResolvedNode {
public:
    ZStack(const ZStackNode& node, const ResolveScope& scope)
        : ResolvedNode("ZStack", scope.view, scope.env), node_(node) {}

protected:
    Size measure(ProposedSize p, LayoutContext& ctx) override {
        if (children.empty()) return {};
        double top = kLowestPriority;
        for (const auto& c : children) top = std::max(top, c->priority);
        Size s;
        for (const auto& c : children) {
            const Size cs = c->sizeThatFits(p, ctx);
            if (c->priority < top) continue;
            s.width = std::max(s.width, cs.width);
            s.height = std::max(s.height, cs.height);
        }
        return s;
    }

    void placeContent(LaidOutNode& out, ProposedSize p, LayoutContext& ctx) override {
        for (auto& c : children) {
            out.children.push_back(placeAligned(*c, out.frame, p, node_.alignment, ctx));
        }
    }

private:
    const ZStackNode& node_;
};

}  // namespace

ResolvedPtr resolveNode(const ZStackNode& node, const ResolveScope& scope) {
    auto r = std::make_unique<ZStack>(node, scope);
    for (const View& c : node.children) r->children.push_back(resolve(c, scope.env, {}, scope.ctx));
    return r;
}

}  // namespace ui::detail
