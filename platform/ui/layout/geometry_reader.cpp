// GeometryReader: takes the whole proposal (kUnspecifiedLength on an axis offered nothing) and
// builds its content from the size it chose, at placing time, offering the content that whole
// size at its top-leading corner.

#include "platform/ui/detail/environment_scope.h"
#include "platform/ui/layout/resolved_node.h"

namespace ui::detail {

namespace {

class GeometryReader final : public ResolvedNode {
public:
    GeometryReader(const GeometryReaderNode& node, const ResolveScope& scope)
        : ResolvedNode("GeometryReader", scope.view, scope.env), node_(node) {}

protected:
    Size measure(ProposedSize p, LayoutContext&) override {
        return {p.width.value_or(kUnspecifiedLength), p.height.value_or(kUnspecifiedLength)};
    }

    void placeContent(LaidOutNode& out, ProposedSize, LayoutContext& ctx) override {
        const Size s{out.frame.width, out.frame.height};
        View content;
        {
            EnvironmentScope inForce(env);
            content = node_.content(GeometryProxy{s});
        }
        auto resolved = resolve(content, env, {}, ctx);
        out.children.push_back(
            resolved->place({out.frame.x, out.frame.y}, {s.width, s.height}, ctx));
    }

private:
    const GeometryReaderNode& node_;
};

}  // namespace

ResolvedPtr resolveNode(const GeometryReaderNode& node, const ResolveScope& scope) {
    return std::make_unique<GeometryReader>(node, scope);
}

}  // namespace ui::detail
