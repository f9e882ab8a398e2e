// Image (a system symbol): a square whose side is 1.2 times the font size in force, whatever it
// is offered, painted in the foreground style.

#include "platform/ui/detail/resolve_style.h"
#include "platform/ui/layout/resolved_node.h"

namespace ui::detail {

namespace {

constexpr double kSymbolScale = 1.2;  // a symbol's side, in units of the font size

class Image final : public ResolvedNode {
public:
    Image(const ImageNode& node, const ResolveScope& scope)
        : ResolvedNode("Image", scope.view, scope.env), node_(node) {
        paint = resolvePaint(primary, env);
    }

protected:
    Size measure(ProposedSize, LayoutContext&) override {
        const double side = env.get<FontKey>().pointSize * kSymbolScale;
        return {side, side};
    }

    void placeContent(LaidOutNode& out, ProposedSize, LayoutContext&) override {
        out.content = LaidOutImage{node_.systemName, env.get<FontKey>()};
    }

private:
    const ImageNode& node_;
};

}  // namespace

ResolvedPtr resolveNode(const ImageNode& node, const ResolveScope& scope) {
    return std::make_unique<Image>(node, scope);
}

}  // namespace ui::detail
