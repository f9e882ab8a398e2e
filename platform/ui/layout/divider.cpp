// Divider: a line one device pixel thick across the stack holding it (horizontal in a VStack and
// outside any stack, vertical in an HStack), as long as it is offered, in the quaternary label
// colour.

#include <algorithm>

#include "platform/ui/detail/resolve_style.h"
#include "platform/ui/layout/resolved_node.h"

namespace ui::detail {

namespace {

class Divider final : public ResolvedNode {
public:
    explicit Divider(const ResolveScope& scope)
        : ResolvedNode("Divider", scope.view, scope.env),
          line_(scope.stackAxis == Axis::horizontal ? Axis::vertical : Axis::horizontal) {
        paint = resolvePaint(quaternary, EnvironmentValues());
        paint->color =
            labelColor(env.get<ColorSchemeKey>(), HierarchicalShapeStyle::Level::quaternary);
    }

protected:
    Size measure(ProposedSize p, LayoutContext&) override {
        const double thickness = 1.0 / std::max(env.get<DisplayScaleKey>(), 1e-3);
        return size(line_, along(p, line_).value_or(0), thickness);
    }

    void placeContent(LaidOutNode& out, ProposedSize, LayoutContext&) override {
        out.content =
            LaidOutDivider{line_, line_ == Axis::horizontal ? out.frame.height : out.frame.width};
    }

private:
    Axis line_;
};

}  // namespace

ResolvedPtr resolveNode(const DividerNode&, const ResolveScope& scope) {
    return std::make_unique<Divider>(scope);
}

}  // namespace ui::detail
