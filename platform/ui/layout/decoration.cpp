// background. The decorated view sizes and places as it would alone; a style paints its frame,
// and a view is offered exactly that frame and placed in it by the alignment, under the
// decorated view.

#include "platform/ui/detail/resolve_style.h"
#include "platform/ui/layout/resolved_node.h"

namespace ui::detail {

namespace {

class Decoration final : public ResolvedNode {
public:
    Decoration(const DecorationNode& node, const ResolveScope& scope)
        : ResolvedNode("Background", scope.view, scope.env), node_(node) {}

protected:
    Size measure(ProposedSize p, LayoutContext& ctx) override {
        return children[0]->sizeThatFits(p, ctx);
    }

    void placeContent(LaidOutNode& out, ProposedSize p, LayoutContext& ctx) override {
        LaidOutNode decorated = children[0]->place({out.frame.x, out.frame.y}, p, ctx);
        std::optional<LaidOutNode> content;
        if (children.size() > 1) {
            content = placeAligned(*children[1], out.frame, {out.frame.width, out.frame.height},
                                   node_.alignment, ctx);
        }
        if (content) out.children.push_back(std::move(*content));
        out.children.push_back(std::move(decorated));
    }

private:
    const DecorationNode& node_;
};

}  // namespace

ResolvedPtr resolveNode(const DecorationNode& node, const ResolveScope& scope) {
    auto r = std::make_unique<Decoration>(node, scope);
    r->children.push_back(resolve(node.child, scope.env, scope.stackAxis, scope.ctx));
    if (node.content) r->children.push_back(resolve(*node.content, scope.env, {}, scope.ctx));
    if (node.style) r->paint = resolvePaint(*node.style, scope.env);
    return r;
}

}  // namespace ui::detail
