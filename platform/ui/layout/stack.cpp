// HStack and VStack: one algorithm for either axis. The stack measures each child's flexibility,
// shares its length with shareSpace, then places the children in declaration order, spacing
// apart, aligned on the cross axis. Group and ForEach inside a stack splice their children into
// it; in the laid-out tree those children are gathered under a node of the group's own.

#include <algorithm>

#include "platform/ui/layout/resolved_node.h"
#include "platform/ui/layout/space_sharing.h"

namespace ui::detail {

namespace {

struct StackPlan {
    std::vector<ProposedSize> proposals;
    std::vector<Size> sizes;
    Size size;
};

class Stack final : public ResolvedNode {
public:
    Stack(const StackNode& node, const ResolveScope& scope)
        : ResolvedNode(node.axis == Axis::vertical ? "VStack" : "HStack", scope.view, scope.env),
          node_(node) {}

    // Adds `views` as children, splicing in the children of Group and ForEach. `group` is the
    // index into groups_ of the group they come from, or -1.
    void addChildren(const std::vector<View>& views, int group, LayoutContext& ctx) {
        for (const View& child : views) {
            const Node& node = nodeOf(child);
            if (const auto* g = std::get_if<GroupNode>(&node.kind)) {
                int index = group;
                if (index < 0) {
                    index = static_cast<int>(groups_.size());
                    groups_.emplace_back(g->isForEach ? "ForEach" : "Group");
                }
                addChildren(g->children, index, ctx);
                continue;
            }
            if (std::holds_alternative<EmptyNode>(node.kind)) continue;
            children.push_back(resolve(child, env, node_.axis, ctx));
            groupOf_.push_back(group);
        }
    }

protected:
    Size measure(ProposedSize p, LayoutContext& ctx) override { return plan(p, ctx).size; }
    void placeContent(LaidOutNode& out, ProposedSize p, LayoutContext& ctx) override;

private:
    double spacing() const { return node_.spacing.value_or(kDefaultSpacing); }
    StackPlan plan(ProposedSize p, LayoutContext& ctx);
    void gatherGroups(LaidOutNode& out, std::vector<LaidOutNode> placed) const;

    const StackNode& node_;
    // For each child, the index into groups_ of the Group or ForEach it came from, or -1.
    std::vector<int> groupOf_{};
    std::vector<std::string> groups_{};
};

StackPlan Stack::plan(ProposedSize p, LayoutContext& ctx) {
    const Axis axis = node_.axis;
    const std::optional<double> major = along(p, axis);
    const std::optional<double> minor = across(p, axis);
    const std::size_t n = children.size();
    StackPlan result;
    result.proposals.resize(n);
    result.sizes.resize(n);
    std::vector<Flexibility> flexibility(n);
    for (std::size_t i = 0; i < n; ++i) {
        ResolvedNode& c = *children[i];
        Flexibility& f = flexibility[i];
        f.priority = c.priority;
        if (!major) {
            result.proposals[i] = proposal(axis, std::nullopt, minor);
            result.sizes[i] = c.sizeThatFits(result.proposals[i], ctx);
            f.ideal = along(result.sizes[i], axis);
        } else {
            f.minimum = along(c.sizeThatFits(proposal(axis, 0.0, minor), ctx), axis);
            f.maximum = along(c.sizeThatFits(proposal(axis, infinity, minor), ctx), axis);
        }
    }
    const SpaceSharing sharing =
        shareSpace(flexibility, major, spacing(), [&](std::size_t i, double share) {
            result.proposals[i] = proposal(axis, share, minor);
            result.sizes[i] = children[i]->sizeThatFits(result.proposals[i], ctx);
            return along(result.sizes[i], axis);
        });
    double cross = 0;
    for (const Size& s : result.sizes) cross = std::max(cross, across(s, axis));
    result.size = size(axis, sharing.total, cross);
    return result;
}

void Stack::placeContent(LaidOutNode& out, ProposedSize p, LayoutContext& ctx) {
    const Axis axis = node_.axis;
    const StackPlan planned = plan(p, ctx);
    const double cross = across(planned.size, axis);
    const double gap = spacing();
    std::vector<LaidOutNode> placed;
    placed.reserve(children.size());
    double offset = 0;
    for (std::size_t i = 0; i < children.size(); ++i) {
        const double crossOffset =
            alignOffset(cross, across(planned.sizes[i], axis), node_.crossAlignment);
        const Point local = point(axis, offset, crossOffset);
        placed.push_back(children[i]->place({out.frame.x + local.x, out.frame.y + local.y},
                                            planned.proposals[i], ctx));
        offset += along(planned.sizes[i], axis) + (i + 1 < children.size() ? gap : 0);
    }
    gatherGroups(out, std::move(placed));
}

Rect unionOf(const std::vector<LaidOutNode>& nodes, Point fallback) {
    if (nodes.empty()) return {fallback.x, fallback.y, 0, 0};
    double x0 = infinity, y0 = infinity, x1 = -infinity, y1 = -infinity;
    for (const LaidOutNode& n : nodes) {
        x0 = std::min(x0, n.frame.minX());
        y0 = std::min(y0, n.frame.minY());
        x1 = std::max(x1, n.frame.maxX());
        y1 = std::max(y1, n.frame.maxY());
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

// Children of one Group or ForEach go under a node of their own, which takes the place of its
// first child and spans its children's frames.
void Stack::gatherGroups(LaidOutNode& out, std::vector<LaidOutNode> placed) const {
    if (groups_.empty()) {
        out.children = std::move(placed);
        return;
    }
    out.children.reserve(placed.size());
    std::vector<std::size_t> groupSlot(groups_.size(), 0);
    std::vector<bool> opened(groups_.size(), false);
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const int g = groupOf_[i];
        if (g < 0) {
            out.children.push_back(std::move(placed[i]));
            continue;
        }
        const auto gi = static_cast<std::size_t>(g);
        if (!opened[gi]) {
            opened[gi] = true;
            groupSlot[gi] = out.children.size();
            LaidOutNode group;
            group.type = groups_[gi];
            group.accentable = accentable;
            out.children.push_back(std::move(group));
        }
        out.children[groupSlot[gi]].children.push_back(std::move(placed[i]));
    }
    for (std::size_t gi = 0; gi < groups_.size(); ++gi) {
        if (!opened[gi]) continue;
        LaidOutNode& group = out.children[groupSlot[gi]];
        group.frame = unionOf(group.children, {out.frame.x, out.frame.y});
    }
}

}  // namespace

ResolvedPtr resolveNode(const StackNode& node, const ResolveScope& scope) {
    auto r = std::make_unique<Stack>(node, scope);
    r->addChildren(node.children, -1, scope.ctx);
    return r;
}

}  // namespace ui::detail
