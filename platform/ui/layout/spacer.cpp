// Spacer: inside a stack it grows along the stack's axis, at least its minimum length, and has
// the lowest priority, so it takes only what the other children leave. Outside a stack it grows
// on both axes.

#include <algorithm>

#include "platform/ui/layout/resolved_node.h"

namespace ui::detail {

namespace {

class Spacer final : public ResolvedNode {
public:
    Spacer(const SpacerNode& node, const ResolveScope& scope)
        : ResolvedNode("Spacer", scope.view, scope.env),
          minLength_(node.minLength.value_or(kDefaultSpacing)),
          stackAxis_(scope.stackAxis) {
        if (stackAxis_) priority = kLowestPriority;
    }

protected:
    Size measure(ProposedSize p, LayoutContext&) override {
        auto grow = [&](std::optional<double> v) { return std::max(v.value_or(0), minLength_); };
        if (!stackAxis_) return {grow(p.width), grow(p.height)};
        return size(*stackAxis_, grow(along(p, *stackAxis_)), 0);
    }

private:
    double minLength_;
    std::optional<Axis> stackAxis_;
};

}  // namespace

ResolvedPtr resolveNode(const SpacerNode& node, const ResolveScope& scope) {
    return std::make_unique<Spacer>(node, scope);
}

}  // namespace ui::detail
