// Group and ForEach outside a stack (inside one, the stack splices their children in). One child
// lays out as that child; several stack vertically, centred, kDefaultSpacing apart, each offered
// the whole proposal.

#include <algorithm>

#include "platform/ui/layout/resolved_node.h"

namespace ui::detail {

namespace {

class Group final : public ResolvedNode {
public:
    Group(const GroupNode& node, const ResolveScope& scope)
        : ResolvedNode(node.isForEach ? "ForEach" : "Group", scope.view, scope.env) {}

protected:
    Size measure(ProposedSize p, LayoutContext& ctx) override {
        if (children.size() == 1) return children[0]->sizeThatFits(p, ctx);
        double w = 0;
        double h = 0;
        for (std::size_t i = 0; i < children.size(); ++i) {
            const Size c = children[i]->sizeThatFits(p, ctx);
            w = std::max(w, c.width);
            h += c.height + (i > 0 ? kDefaultSpacing : 0);
        }
        return {w, h};
    }

    void placeContent(LaidOutNode& out, ProposedSize p, LayoutContext& ctx) override {
        const Point origin{out.frame.x, out.frame.y};
        if (children.size() == 1) {
            out.children.push_back(children[0]->place(origin, p, ctx));
            return;
        }
        double y = origin.y;
        for (auto& c : children) {
            const Size cs = c->sizeThatFits(p, ctx);
            const double x =
                origin.x + alignOffset(out.frame.width, cs.width, AxisAlignment::center);
            out.children.push_back(c->place({x, y}, p, ctx));
            y += cs.height + kDefaultSpacing;
        }
    }
};

}  // namespace

ResolvedPtr resolveNode(const GroupNode& node, const ResolveScope& scope) {
    auto r = std::make_unique<Group>(node, scope);
    for (const View& c : node.children) {
        r->children.push_back(resolve(c, scope.env, scope.stackAxis, scope.ctx));
    }
    return r;
}

}  // namespace ui::detail
