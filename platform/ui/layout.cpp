#include "platform/ui/layout.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/ui/detail/environment_scope.h"
#include "platform/ui/detail/node.h"
#include "platform/ui/detail/resolve_style.h"
#include "platform/ui/detail/text_layout.h"

namespace ui {

namespace {

using detail::Node;

constexpr double kDefaultSpacing = 8;
constexpr double kUnspecifiedLength = 10;  // what a shape takes on an axis offered nothing
constexpr double kSymbolScale = 1.2;       // a symbol's side, in units of the font size
constexpr double kLowestPriority = -std::numeric_limits<double>::infinity();

enum class Kind {
    empty, composite, stack, zstack, group, spacer, divider, geometry, text, image, shape,
    styleView, frame, flexibleFrame, padding, decoration,
};

// A view node resolved under its environment: composite bodies evaluated once, environment
// modifiers applied, styles resolved. Layout measures and places these.
struct RNode {
    Kind kind = Kind::empty;
    std::string type;
    View view;  // keeps the source node alive
    const Node* source = nullptr;
    EnvironmentValues env;
    std::vector<std::unique_ptr<RNode>> children;

    double opacity = 1;
    Angle rotation;
    UnitPoint anchor = UnitPoint::center;
    double priority = 0;
    bool accentable = false;
    std::optional<Axis> stackAxis;  // the axis of the stack a spacer or divider sits in
    std::optional<Paint> paint;

    // Stacks: for each child, the index into `groups` of the Group/ForEach it came from, or -1.
    std::vector<int> groupOf;
    std::vector<std::string> groups;

    // Texts.
    std::string composed;
    detail::TextParameters text;

    std::vector<std::pair<ProposedSize, Size>> memo;
};

struct Context {
    const TextMeasurer& measurer;
    struct Background {
        View content;
        Alignment alignment;
        EnvironmentValues env;
    };
    std::optional<Background> containerBackground;
};

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

// ---------------------------------------------------------------------------------------------
// Resolution

std::unique_ptr<RNode> resolve(const View& view, const EnvironmentValues& env,
                               std::optional<Axis> stackAxis, Context& ctx);

std::unique_ptr<RNode> makeNode(Kind kind, std::string type, const View& view,
                                const EnvironmentValues& env) {
    auto r = std::make_unique<RNode>();
    r->kind = kind;
    r->type = std::move(type);
    r->view = view;
    r->source = view.node().get();
    r->env = env;
    r->accentable = env.get<WidgetAccentableKey>();
    return r;
}

// Adds the children of a stack, splicing in the children of Group and ForEach.
void addStackChildren(RNode& stack, const std::vector<View>& children, Axis axis, int group,
                      Context& ctx) {
    for (const View& child : children) {
        const Node& node = detail::nodeOf(child);
        if (const auto* g = std::get_if<detail::GroupNode>(&node.kind)) {
            int index = group;
            if (index < 0) {
                index = static_cast<int>(stack.groups.size());
                stack.groups.emplace_back(g->isForEach ? "ForEach" : "Group");
            }
            addStackChildren(stack, g->children, axis, index, ctx);
            continue;
        }
        if (std::holds_alternative<detail::EmptyNode>(node.kind)) continue;
        stack.children.push_back(resolve(child, stack.env, axis, ctx));
        stack.groupOf.push_back(group);
    }
}

std::unique_ptr<RNode> resolve(const View& view, const EnvironmentValues& env,
                               std::optional<Axis> stackAxis, Context& ctx) {
    const Node& node = detail::nodeOf(view);
    return std::visit(
        Overloaded{
            [&](const detail::EmptyNode&) { return makeNode(Kind::empty, "EmptyView", view, env); },
            [&](const detail::CompositeNode& n) {
                auto r = makeNode(Kind::composite, n.typeName, view, env);
                View body;
                {
                    detail::EnvironmentScope scope(env);
                    body = n.body();
                }
                r->children.push_back(resolve(body, env, stackAxis, ctx));
                return r;
            },
            [&](const detail::StackNode& n) {
                auto r = makeNode(Kind::stack, n.axis == Axis::vertical ? "VStack" : "HStack", view,
                                  env);
                addStackChildren(*r, n.children, n.axis, -1, ctx);
                return r;
            },
            [&](const detail::ZStackNode& n) {
                auto r = makeNode(Kind::zstack, "ZStack", view, env);
                for (const View& c : n.children) r->children.push_back(resolve(c, env, {}, ctx));
                return r;
            },
            [&](const detail::GroupNode& n) {
                auto r = makeNode(Kind::group, n.isForEach ? "ForEach" : "Group", view, env);
                for (const View& c : n.children) {
                    r->children.push_back(resolve(c, env, stackAxis, ctx));
                }
                return r;
            },
            [&](const detail::SpacerNode&) {
                auto r = makeNode(Kind::spacer, "Spacer", view, env);
                r->stackAxis = stackAxis;
                if (stackAxis) r->priority = kLowestPriority;
                return r;
            },
            [&](const detail::DividerNode&) {
                auto r = makeNode(Kind::divider, "Divider", view, env);
                r->stackAxis = stackAxis;
                r->paint = detail::resolvePaint(quaternary, EnvironmentValues());
                r->paint->color = labelColor(env.get<ColorSchemeKey>(),
                                             HierarchicalShapeStyle::Level::quaternary);
                return r;
            },
            [&](const detail::GeometryReaderNode&) {
                return makeNode(Kind::geometry, "GeometryReader", view, env);
            },
            [&](const detail::TextNode& n) {
                auto r = makeNode(Kind::text, "Text", view, env);
                r->composed = n.verbatim ? n.key
                                         : formatLocalized(localizedFormat(n.key), n.arguments);
                Font font = env.get<FontKey>();
                if (env.get<MonospacedDigitKey>()) font.monospacedDigits = true;
                r->text.font = font;
                r->text.tracking = env.get<TrackingKey>();
                r->text.lineLimit = env.get<LineLimitKey>();
                r->text.truncation = env.get<TruncationModeKey>();
                r->text.minimumScaleFactor = env.get<MinimumScaleFactorKey>();
                r->paint = detail::resolvePaint(primary, env);
                return r;
            },
            [&](const detail::ImageNode&) {
                auto r = makeNode(Kind::image, "Image", view, env);
                r->paint = detail::resolvePaint(primary, env);
                return r;
            },
            [&](const detail::ShapeNode& n) {
                static constexpr const char* kNames[] = {"Rectangle", "RoundedRectangle",
                                                         "Capsule", "Circle"};
                auto r = makeNode(Kind::shape, kNames[static_cast<int>(n.kind)], view, env);
                const ShapeStyle style = n.fill ? *n.fill : n.strokePaint ? *n.strokePaint
                                                                          : ShapeStyle(primary);
                r->paint = detail::resolvePaint(style, env);
                return r;
            },
            [&](const detail::StyleViewNode& n) {
                const bool gradient = std::holds_alternative<LinearGradient>(n.style.value());
                auto r = makeNode(Kind::styleView, gradient ? "LinearGradient" : "Color", view, env);
                r->paint = detail::resolvePaint(n.style, env);
                return r;
            },
            [&](const detail::FrameNode& n) {
                auto r = makeNode(Kind::frame, "Frame", view, env);
                r->children.push_back(resolve(n.child, env, stackAxis, ctx));
                return r;
            },
            [&](const detail::FlexibleFrameNode& n) {
                auto r = makeNode(Kind::flexibleFrame, "Frame", view, env);
                r->children.push_back(resolve(n.child, env, stackAxis, ctx));
                return r;
            },
            [&](const detail::PaddingNode& n) {
                auto r = makeNode(Kind::padding, "Padding", view, env);
                r->children.push_back(resolve(n.child, env, stackAxis, ctx));
                return r;
            },
            [&](const detail::LayoutPriorityNode& n) {
                auto r = resolve(n.child, env, stackAxis, ctx);
                r->priority = n.priority;
                return r;
            },
            [&](const detail::EnvironmentNode& n) {
                EnvironmentValues inner = env;
                n.apply(inner);
                return resolve(n.child, inner, stackAxis, ctx);
            },
            [&](const detail::ForegroundStyleNode& n) {
                EnvironmentValues inner = env;
                inner.set<ForegroundStyleKey>(detail::foregroundFor(n.style, env));
                return resolve(n.child, inner, stackAxis, ctx);
            },
            [&](const detail::DecorationNode& n) {
                auto r = makeNode(Kind::decoration, n.isOverlay ? "Overlay" : "Background", view,
                                  env);
                r->children.push_back(resolve(n.child, env, stackAxis, ctx));
                if (n.content) r->children.push_back(resolve(*n.content, env, {}, ctx));
                if (n.style) r->paint = detail::resolvePaint(*n.style, env);
                return r;
            },
            [&](const detail::ContainerBackgroundNode& n) {
                if (!ctx.containerBackground) {
                    ctx.containerBackground = Context::Background{n.content, n.alignment, env};
                }
                return resolve(n.child, env, stackAxis, ctx);
            },
            [&](const detail::EffectNode& n) {
                auto r = resolve(n.child, env, stackAxis, ctx);
                r->opacity *= n.opacity;
                if (n.rotation.inRadians() != 0) {
                    r->rotation = r->rotation + n.rotation;
                    r->anchor = n.anchor;
                }
                return r;
            },
        },
        node.kind);
}

// ---------------------------------------------------------------------------------------------
// Measuring

double along(Size s, Axis a) { return a == Axis::horizontal ? s.width : s.height; }
double across(Size s, Axis a) { return a == Axis::horizontal ? s.height : s.width; }
std::optional<double> along(ProposedSize p, Axis a) {
    return a == Axis::horizontal ? p.width : p.height;
}
std::optional<double> across(ProposedSize p, Axis a) {
    return a == Axis::horizontal ? p.height : p.width;
}
ProposedSize proposal(Axis a, std::optional<double> major, std::optional<double> minor) {
    return a == Axis::horizontal ? ProposedSize{major, minor} : ProposedSize{minor, major};
}
Size size(Axis a, double major, double minor) {
    return a == Axis::horizontal ? Size{major, minor} : Size{minor, major};
}
Point point(Axis a, double major, double minor) {
    return a == Axis::horizontal ? Point{major, minor} : Point{minor, major};
}

double alignOffset(double container, double child, int position) {
    if (position == 0) return 0;
    if (position == 1) return (container - child) / 2;
    return container - child;
}
int position(HorizontalAlignment a) {
    return a == HorizontalAlignment::leading ? 0 : a == HorizontalAlignment::center ? 1 : 2;
}
int position(VerticalAlignment a) {
    return a == VerticalAlignment::top ? 0 : a == VerticalAlignment::center ? 1 : 2;
}
Point alignedOrigin(Rect container, Size child, Alignment a) {
    return {container.x + alignOffset(container.width, child.width, position(a.horizontal)),
            container.y + alignOffset(container.height, child.height, position(a.vertical))};
}

Size sizeOf(RNode& r, ProposedSize p, Context& ctx);

struct StackPlan {
    std::vector<ProposedSize> proposals;
    std::vector<Size> sizes;
    std::vector<double> gaps;  // gaps[i] follows child i
    Size size;
};

// The one stack algorithm, for either axis.
StackPlan planStack(RNode& stack, ProposedSize p, Context& ctx) {
    const auto& node = std::get<detail::StackNode>(stack.source->kind);
    const Axis axis = node.axis;
    const std::size_t n = stack.children.size();
    StackPlan plan;
    plan.proposals.resize(n);
    plan.sizes.resize(n);
    plan.gaps.assign(n, 0);
    const double spacing = node.spacing.value_or(kDefaultSpacing);
    double internal = 0;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        plan.gaps[i] = spacing;
        internal += spacing;
    }
    const std::optional<double> major = along(p, axis);
    const std::optional<double> minor = across(p, axis);

    if (!major) {
        for (std::size_t i = 0; i < n; ++i) {
            plan.proposals[i] = proposal(axis, std::nullopt, minor);
            plan.sizes[i] = sizeOf(*stack.children[i], plan.proposals[i], ctx);
        }
    } else {
        std::vector<double> mins(n);
        std::vector<double> flex(n);
        for (std::size_t i = 0; i < n; ++i) {
            RNode& c = *stack.children[i];
            mins[i] = along(sizeOf(c, proposal(axis, 0.0, minor), ctx), axis);
            const double maxs = along(sizeOf(c, proposal(axis, infinity, minor), ctx), axis);
            flex[i] = maxs - mins[i];
            if (std::isnan(flex[i])) flex[i] = infinity;
        }
        std::vector<std::size_t> order(n);
        for (std::size_t i = 0; i < n; ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            const double pa = stack.children[a]->priority;
            const double pb = stack.children[b]->priority;
            if (pa != pb) return pa > pb;
            if (std::isinf(flex[a]) && std::isinf(flex[b])) return mins[a] > mins[b];
            return flex[a] < flex[b];
        });
        double available = *major - internal;
        // Children below the highest priority are guaranteed their minimum.
        const double top = n > 0 ? stack.children[order[0]]->priority : 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (stack.children[i]->priority < top) available -= mins[i];
        }
        std::size_t k = 0;
        while (k < n) {
            const double groupPriority = stack.children[order[k]]->priority;
            std::size_t end = k;
            while (end < n && stack.children[order[end]]->priority == groupPriority) ++end;
            if (groupPriority < top) {
                for (std::size_t g = k; g < end; ++g) available += mins[order[g]];
            }
            for (std::size_t g = k; g < end; ++g) {
                const std::size_t i = order[g];
                const double share = std::max(available / static_cast<double>(end - g), 0.0);
                plan.proposals[i] = proposal(axis, share, minor);
                plan.sizes[i] = sizeOf(*stack.children[i], plan.proposals[i], ctx);
                available -= along(plan.sizes[i], axis);
            }
            k = end;
        }
    }
    double total = internal;
    double cross = 0;
    for (const Size& s : plan.sizes) {
        total += along(s, axis);
        cross = std::max(cross, across(s, axis));
    }
    plan.size = size(axis, total, cross);
    return plan;
}

Size sizeOfFlexible(const FlexibleFrame& f, ProposedSize p, RNode& child, Context& ctx,
                    ProposedSize* childProposal) {
    struct AxisBounds {
        std::optional<double> proposed, min, ideal, max;
    };
    const AxisBounds axes[2] = {{p.width, f.minWidth, f.idealWidth, f.maxWidth},
                                {p.height, f.minHeight, f.idealHeight, f.maxHeight}};
    std::optional<double> inner[2];
    for (int a = 0; a < 2; ++a) {
        const AxisBounds& b = axes[a];
        std::optional<double> v = b.proposed ? b.proposed : b.ideal;
        if (v) {
            if (b.min) v = std::max(*v, *b.min);
            if (b.max) v = std::min(*v, *b.max);
        }
        inner[a] = v;
    }
    const ProposedSize cp{inner[0], inner[1]};
    if (childProposal != nullptr) *childProposal = cp;
    const Size c = sizeOf(child, cp, ctx);
    double result[2];
    const double childSize[2] = {c.width, c.height};
    for (int a = 0; a < 2; ++a) {
        const AxisBounds& b = axes[a];
        if (b.proposed && b.min && b.max) {
            result[a] = std::min(std::max(*b.proposed, *b.min), std::max(*b.max, *b.min));
        } else if (!b.proposed && b.ideal) {
            result[a] = *b.ideal;
            if (b.min) result[a] = std::max(result[a], *b.min);
            if (b.max) result[a] = std::min(result[a], *b.max);
        } else if (b.min && b.max) {
            result[a] = std::min(std::max(childSize[a], *b.min), std::max(*b.max, *b.min));
        } else if (b.min) {
            result[a] = std::max(std::min(inner[a].value_or(infinity), childSize[a]), *b.min);
        } else if (b.max) {
            result[a] = std::min(std::max(inner[a].value_or(-infinity), childSize[a]), *b.max);
        } else {
            result[a] = childSize[a];
        }
    }
    return {result[0], result[1]};
}

ProposedSize inset(ProposedSize p, const EdgeInsets& e) {
    auto shrink = [](std::optional<double> v, double by) -> std::optional<double> {
        if (!v) return v;
        return std::max(*v - by, 0.0);
    };
    return {shrink(p.width, e.leading + e.trailing), shrink(p.height, e.top + e.bottom)};
}

detail::TextLines textLines(const RNode& r, ProposedSize p, Context& ctx) {
    return detail::layoutText(r.composed, r.text, p, ctx.measurer);
}

double symbolSide(const RNode& r) { return r.env.get<FontKey>().pointSize * kSymbolScale; }

Size computeSize(RNode& r, ProposedSize p, Context& ctx) {
    switch (r.kind) {
        case Kind::empty: return {};
        case Kind::composite:
        case Kind::frame:
        case Kind::flexibleFrame:
        case Kind::padding:
        case Kind::decoration:
            break;
        case Kind::group:
            if (r.children.size() == 1) return sizeOf(*r.children[0], p, ctx);
            break;
        case Kind::stack: return planStack(r, p, ctx).size;
        case Kind::zstack: {
            if (r.children.empty()) return {};
            double top = kLowestPriority;
            for (const auto& c : r.children) top = std::max(top, c->priority);
            Size s;
            for (const auto& c : r.children) {
                const Size cs = sizeOf(*c, p, ctx);
                if (c->priority < top) continue;
                s.width = std::max(s.width, cs.width);
                s.height = std::max(s.height, cs.height);
            }
            return s;
        }
        case Kind::spacer: {
            const auto& n = std::get<detail::SpacerNode>(r.source->kind);
            const double minLength = n.minLength.value_or(kDefaultSpacing);
            auto grow = [&](std::optional<double> v) { return std::max(v.value_or(0), minLength); };
            if (!r.stackAxis) return {grow(p.width), grow(p.height)};
            return size(*r.stackAxis, grow(along(p, *r.stackAxis)), 0);
        }
        case Kind::divider: {
            const double thickness = 1.0 / std::max(r.env.get<DisplayScaleKey>(), 1e-3);
            // A divider is a line across its stack: horizontal in a VStack.
            const Axis line = r.stackAxis == Axis::horizontal ? Axis::vertical : Axis::horizontal;
            return size(line, along(p, line).value_or(0), thickness);
        }
        case Kind::geometry:
        case Kind::shape:
        case Kind::styleView: {
            Size s{p.width.value_or(kUnspecifiedLength), p.height.value_or(kUnspecifiedLength)};
            if (r.kind == Kind::shape &&
                std::get<detail::ShapeNode>(r.source->kind).kind == ShapeKind::circle) {
                const double side = std::min(s.width, s.height);
                s = {side, side};
            }
            return s;
        }
        case Kind::text: return textLines(r, p, ctx).size;
        case Kind::image: {
            const double side = symbolSide(r);
            return {side, side};
        }
    }
    // Single-child wrappers.
    RNode& child = *r.children.at(0);
    switch (r.kind) {
        case Kind::frame: {
            const auto& n = std::get<detail::FrameNode>(r.source->kind);
            if (n.width && n.height) return {*n.width, *n.height};
            const Size c = sizeOf(child, {n.width ? n.width : p.width,
                                          n.height ? n.height : p.height}, ctx);
            return {n.width.value_or(c.width), n.height.value_or(c.height)};
        }
        case Kind::flexibleFrame: {
            const auto& n = std::get<detail::FlexibleFrameNode>(r.source->kind);
            return sizeOfFlexible(n.bounds, p, child, ctx, nullptr);
        }
        case Kind::padding: {
            const auto& e = std::get<detail::PaddingNode>(r.source->kind).insets;
            const Size c = sizeOf(child, inset(p, e), ctx);
            return {c.width + e.leading + e.trailing, c.height + e.top + e.bottom};
        }
        case Kind::group: {
            // Several children outside a stack stack vertically, centred, 8 points apart.
            double w = 0;
            double h = 0;
            for (std::size_t i = 0; i < r.children.size(); ++i) {
                const Size c = sizeOf(*r.children[i], p, ctx);
                w = std::max(w, c.width);
                h += c.height + (i > 0 ? kDefaultSpacing : 0);
            }
            return {w, h};
        }
        default: return sizeOf(child, p, ctx);
    }
}

Size sizeOf(RNode& r, ProposedSize p, Context& ctx) {
    for (const auto& [key, value] : r.memo) {
        if (key == p) return value;
    }
    const Size s = computeSize(r, p, ctx);
    r.memo.emplace_back(p, s);
    return s;
}

// ---------------------------------------------------------------------------------------------
// Placing

LaidOutNode place(RNode& r, Point origin, ProposedSize p, Context& ctx);

LaidOutNode shell(const RNode& r, Point origin, Size s) {
    LaidOutNode out;
    out.type = r.type;
    out.frame = {origin.x, origin.y, s.width, s.height};
    out.paint = r.paint;
    out.opacity = r.opacity;
    out.rotation = r.rotation;
    out.anchor = r.anchor;
    out.accentable = r.accentable;
    return out;
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

void placeStack(RNode& r, LaidOutNode& out, ProposedSize p, Context& ctx) {
    const auto& node = std::get<detail::StackNode>(r.source->kind);
    const Axis axis = node.axis;
    const StackPlan plan = planStack(r, p, ctx);
    const double cross = across(plan.size, axis);
    double offset = 0;
    // Children of one Group/ForEach are gathered under a node of their own, which takes the
    // place of its first child; slot[k] says which group out.children[k] stands for (-1: none).
    std::vector<int> slot;
    std::vector<std::size_t> groupSlot(r.groups.size(), 0);
    std::vector<bool> opened(r.groups.size(), false);
    for (std::size_t i = 0; i < r.children.size(); ++i) {
        const double crossOffset =
            alignOffset(cross, across(plan.sizes[i], axis), node.crossAlignment);
        const Point local = point(axis, offset, crossOffset);
        LaidOutNode child = place(*r.children[i], {out.frame.x + local.x, out.frame.y + local.y},
                                  plan.proposals[i], ctx);
        offset += along(plan.sizes[i], axis) + plan.gaps[i];
        const int g = r.groupOf[i];
        if (g < 0) {
            out.children.push_back(std::move(child));
            slot.push_back(-1);
            continue;
        }
        const auto gi = static_cast<std::size_t>(g);
        if (!opened[gi]) {
            opened[gi] = true;
            groupSlot[gi] = out.children.size();
            LaidOutNode group;
            group.type = r.groups[gi];
            group.accentable = r.accentable;
            out.children.push_back(std::move(group));
            slot.push_back(g);
        }
        out.children[groupSlot[gi]].children.push_back(std::move(child));
    }
    for (std::size_t k = 0; k < out.children.size(); ++k) {
        if (slot[k] < 0) continue;
        LaidOutNode& group = out.children[k];
        group.frame = unionOf(group.children, {out.frame.x, out.frame.y});
    }
}

LaidOutNode place(RNode& r, Point origin, ProposedSize p, Context& ctx) {
    const Size s = sizeOf(r, p, ctx);
    LaidOutNode out = shell(r, origin, s);
    const Rect frame = out.frame;
    switch (r.kind) {
        case Kind::empty:
        case Kind::spacer:
        case Kind::styleView:
            break;
        case Kind::composite:
            out.children.push_back(place(*r.children[0], origin, p, ctx));
            break;
        case Kind::group:
            if (r.children.size() == 1) {
                out.children.push_back(place(*r.children[0], origin, p, ctx));
            } else {
                double y = origin.y;
                for (auto& c : r.children) {
                    const Size cs = sizeOf(*c, p, ctx);
                    out.children.push_back(place(
                        *c, {origin.x + alignOffset(s.width, cs.width, 1), y}, p, ctx));
                    y += cs.height + kDefaultSpacing;
                }
            }
            break;
        case Kind::stack: placeStack(r, out, p, ctx); break;
        case Kind::zstack: {
            const auto& n = std::get<detail::ZStackNode>(r.source->kind);
            for (auto& c : r.children) {
                const Size cs = sizeOf(*c, p, ctx);
                out.children.push_back(place(*c, alignedOrigin(frame, cs, n.alignment), p, ctx));
            }
            break;
        }
        case Kind::divider: {
            const Axis line = r.stackAxis == Axis::horizontal ? Axis::vertical : Axis::horizontal;
            out.content = LaidOutDivider{line, line == Axis::horizontal ? s.height : s.width};
            break;
        }
        case Kind::geometry: {
            const auto& n = std::get<detail::GeometryReaderNode>(r.source->kind);
            View content;
            {
                detail::EnvironmentScope scope(r.env);
                content = n.content(GeometryProxy{s});
            }
            auto resolved = resolve(content, r.env, {}, ctx);
            out.children.push_back(place(*resolved, origin, {s.width, s.height}, ctx));
            break;
        }
        case Kind::text: {
            const detail::TextLines lines = textLines(r, p, ctx);
            LaidOutText t;
            t.composed = r.composed;
            t.lines = lines.lines;
            t.font = r.text.font;
            t.tracking = r.text.tracking;
            t.scale = lines.scale;
            t.lineHeight = lines.lineHeight;
            t.truncated = lines.truncated;
            t.alignment = r.env.get<MultilineTextAlignmentKey>();
            t.transition = r.env.get<ContentTransitionKey>();
            out.content = std::move(t);
            break;
        }
        case Kind::image: {
            Font font = r.env.get<FontKey>();
            out.content = LaidOutImage{
                std::string(std::get<detail::ImageNode>(r.source->kind).systemName), font};
            break;
        }
        case Kind::shape: {
            const auto& n = std::get<detail::ShapeNode>(r.source->kind);
            LaidOutShape shape;
            shape.kind = n.kind;
            shape.outline = frame;
            shape.cornerStyle = n.cornerStyle;
            shape.cornerRadius = n.kind == ShapeKind::capsule
                                     ? std::min(frame.width, frame.height) / 2
                                     : n.kind == ShapeKind::circle
                                           ? std::min(frame.width, frame.height) / 2
                                           : n.cornerRadius;
            shape.trimFrom = n.trimFrom;
            shape.trimTo = n.trimTo;
            if (n.strokePaint) shape.stroke = n.stroke;
            out.content = shape;
            break;
        }
        case Kind::frame: {
            const auto& n = std::get<detail::FrameNode>(r.source->kind);
            const ProposedSize cp{n.width ? n.width : p.width, n.height ? n.height : p.height};
            const Size cs = sizeOf(*r.children[0], cp, ctx);
            out.children.push_back(place(*r.children[0], alignedOrigin(frame, cs, n.alignment),
                                         cp, ctx));
            break;
        }
        case Kind::flexibleFrame: {
            const auto& n = std::get<detail::FlexibleFrameNode>(r.source->kind);
            ProposedSize cp;
            sizeOfFlexible(n.bounds, p, *r.children[0], ctx, &cp);
            const Size cs = sizeOf(*r.children[0], cp, ctx);
            out.children.push_back(place(*r.children[0],
                                         alignedOrigin(frame, cs, n.bounds.alignment), cp, ctx));
            break;
        }
        case Kind::padding: {
            const auto& e = std::get<detail::PaddingNode>(r.source->kind).insets;
            out.children.push_back(
                place(*r.children[0], {origin.x + e.leading, origin.y + e.top}, inset(p, e), ctx));
            break;
        }
        case Kind::decoration: {
            const auto& n = std::get<detail::DecorationNode>(r.source->kind);
            LaidOutNode child = place(*r.children[0], origin, p, ctx);
            std::optional<LaidOutNode> content;
            if (r.children.size() > 1) {
                RNode& c = *r.children[1];
                const ProposedSize cp{s.width, s.height};
                const Size cs = sizeOf(c, cp, ctx);
                content = place(c, alignedOrigin(frame, cs, n.alignment), cp, ctx);
            }
            if (content && !n.isOverlay) out.children.push_back(std::move(*content));
            out.children.push_back(std::move(child));
            if (content && n.isOverlay) out.children.push_back(std::move(*content));
            break;
        }
    }
    return out;
}

}  // namespace

LaidOutNode layout(const View& view, ProposedSize proposal, const TextMeasurer& measurer,
                   const EnvironmentValues& environment, Point origin) {
    Context ctx{measurer, std::nullopt};
    auto root = resolve(view, environment, std::nullopt, ctx);
    return place(*root, origin, proposal, ctx);
}

Size sizeThatFits(const View& view, ProposedSize proposal, const TextMeasurer& measurer,
                  const EnvironmentValues& environment) {
    Context ctx{measurer, std::nullopt};
    auto root = resolve(view, environment, std::nullopt, ctx);
    return sizeOf(*root, proposal, ctx);
}

LaidOutTile layoutTile(const View& view, const TileLayoutOptions& options,
                       const TextMeasurer& measurer, EnvironmentValues environment) {
    environment.set<ColorSchemeKey>(options.colorScheme);
    environment.set<RenderingModeKey>(options.renderingMode);
    environment.set<DisplayScaleKey>(options.displayScale);

    LaidOutTile tile;
    tile.size = options.size;
    tile.colorScheme = options.colorScheme;
    tile.renderingMode = options.renderingMode;
    tile.displayScale = options.displayScale;
    tile.cornerRadius = options.cornerRadius;
    const auto tintColor = environment.get<TintKey>();
    tile.tint = detail::resolvePaint(tintColor ? ShapeStyle(*tintColor) : ShapeStyle(TintShapeStyle{}),
                                     environment)
                    .color;

    Context ctx{measurer, std::nullopt};
    auto root = resolve(view, environment, std::nullopt, ctx);
    const double m = options.contentMargin;
    const Rect area{m, m, std::max(options.size.width - 2 * m, 0.0),
                    std::max(options.size.height - 2 * m, 0.0)};
    const ProposedSize p{area.width, area.height};
    const Size s = sizeOf(*root, p, ctx);
    tile.content = place(*root, alignedOrigin(area, s, Alignment::center), p, ctx);

    if (ctx.containerBackground) {
        const Context::Background bg = *ctx.containerBackground;
        auto resolved = resolve(bg.content, bg.env, std::nullopt, ctx);
        const Rect whole{0, 0, options.size.width, options.size.height};
        const ProposedSize bp{whole.width, whole.height};
        const Size bs = sizeOf(*resolved, bp, ctx);
        LaidOutNode holder;
        holder.type = "ContainerBackground";
        holder.frame = whole;
        holder.children.push_back(place(*resolved, alignedOrigin(whole, bs, bg.alignment), bp,
                                        ctx));
        tile.containerBackground = std::move(holder);
    }
    return tile;
}

namespace {
void collect(const LaidOutNode& node, std::string_view type, bool firstOnly,
             std::vector<const LaidOutNode*>& out) {
    if (node.type == type) {
        out.push_back(&node);
        if (firstOnly) return;
    }
    for (const LaidOutNode& c : node.children) {
        if (firstOnly && !out.empty()) return;
        collect(c, type, firstOnly, out);
    }
}
}  // namespace

const LaidOutNode* findNode(const LaidOutNode& root, std::string_view type) {
    std::vector<const LaidOutNode*> out;
    collect(root, type, true, out);
    return out.empty() ? nullptr : out.front();
}

std::vector<const LaidOutNode*> findNodes(const LaidOutNode& root, std::string_view type) {
    std::vector<const LaidOutNode*> out;
    collect(root, type, false, out);
    return out;
}

}  // namespace ui
