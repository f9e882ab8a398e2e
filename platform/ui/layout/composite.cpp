// A composite view (any type with a body()) and EmptyView. A composite keeps a node of its own
// type name over its body, which it sizes and places exactly as the body would be.

#include "platform/ui/detail/environment_scope.h"
#include "platform/ui/layout/resolved_node.h"

namespace ui::detail {

namespace {

class Composite final : public ResolvedNode {
public:
    using ResolvedNode::ResolvedNode;

protected:
    Size measure(ProposedSize p, LayoutContext& ctx) override {
        return children[0]->sizeThatFits(p, ctx);
    }
    void placeContent(LaidOutNode& out, ProposedSize p, LayoutContext& ctx) override {
        out.children.push_back(children[0]->place({out.frame.x, out.frame.y}, p, ctx));
    }
};

// Takes no space and draws nothing.
class Empty final : public ResolvedNode {
public:
    using ResolvedNode::ResolvedNode;

protected:
    Size measure(ProposedSize, LayoutContext&) override { return {}; }
};

}  // namespace

// The body is evaluated once, under the environment in force, so body() can read it.
ResolvedPtr resolveNode(const CompositeNode& node, const ResolveScope& scope) {
    auto r = std::make_unique<Composite>(node.typeName, scope.view, scope.env);
    View body;
    {
        EnvironmentScope inForce(scope.env);
        body = node.body();
    }
    r->children.push_back(resolve(body, scope.env, scope.stackAxis, scope.ctx));
    return r;
}

ResolvedPtr resolveNode(const EmptyNode&, const ResolveScope& scope) {
    return std::make_unique<Empty>("EmptyView", scope.view, scope.env);
}

}  // namespace ui::detail
