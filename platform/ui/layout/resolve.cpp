// Resolution, and the modifiers that leave no node of their own: they change the environment the
// node beneath resolves under, or that node's priority and effects.

#include <variant>

#include "platform/ui/detail/resolve_style.h"
#include "platform/ui/layout/resolved_node.h"

namespace ui::detail {

ResolvedPtr resolve(const View& view, const EnvironmentValues& env, std::optional<Axis> stackAxis,
                    LayoutContext& ctx) {
    const ResolveScope scope{view, env, stackAxis, ctx};
    return std::visit([&](const auto& node) { return resolveNode(node, scope); },
                      nodeOf(view).kind);
}

ResolvedPtr resolveNode(const LayoutPriorityNode& node, const ResolveScope& scope) {
    auto r = resolve(node.child, scope.env, scope.stackAxis, scope.ctx);
    r->priority = node.priority;
    return r;
}

ResolvedPtr resolveNode(const EnvironmentNode& node, const ResolveScope& scope) {
    EnvironmentValues inner = scope.env;
    node.apply(inner);
    return resolve(node.child, inner, scope.stackAxis, scope.ctx);
}

ResolvedPtr resolveNode(const ForegroundStyleNode& node, const ResolveScope& scope) {
    EnvironmentValues inner = scope.env;
    inner.set<ForegroundStyleKey>(foregroundFor(node.style, scope.env));
    return resolve(node.child, inner, scope.stackAxis, scope.ctx);
}

// Only the outermost container background counts; it is laid out apart, over the whole tile.
ResolvedPtr resolveNode(const ContainerBackgroundNode& node, const ResolveScope& scope) {
    if (!scope.ctx.containerBackground) {
        scope.ctx.containerBackground =
            LayoutContext::Background{node.content, node.alignment, scope.env};
    }
    return resolve(node.child, scope.env, scope.stackAxis, scope.ctx);
}

// Opacities multiply; a rotation adds to the one beneath and turns about its own anchor.
// Neither changes layout.
ResolvedPtr resolveNode(const EffectNode& node, const ResolveScope& scope) {
    auto r = resolve(node.child, scope.env, scope.stackAxis, scope.ctx);
    r->opacity *= node.opacity;
    if (node.rotation.inRadians() != 0) {
        r->rotation = r->rotation + node.rotation;
        r->anchor = node.anchor;
    }
    return r;
}

}  // namespace ui::detail
