#include "platform/ui/layout.h"

#include <algorithm>

#include "platform/ui/detail/resolve_style.h"
#include "platform/ui/layout/resolved_node.h"

namespace ui {

namespace detail {

ResolvedNode::ResolvedNode(std::string typeName, const View& source,
                           const EnvironmentValues& environment)
    : type(std::move(typeName)),
      view(source),
      env(environment),
      accentable(environment.get<WidgetAccentableKey>()) {}

Size ResolvedNode::sizeThatFits(ProposedSize proposal, LayoutContext& ctx) {
    for (const auto& [key, value] : memo_) {
        if (key == proposal) return value;
    }
    const Size s = measure(proposal, ctx);
    memo_.emplace_back(proposal, s);
    return s;
}

LaidOutNode ResolvedNode::place(Point origin, ProposedSize proposal, LayoutContext& ctx) {
    const Size s = sizeThatFits(proposal, ctx);
    LaidOutNode out;
    out.type = type;
    out.frame = {origin.x, origin.y, s.width, s.height};
    out.paint = paint;
    out.opacity = opacity;
    out.rotation = rotation;
    out.anchor = anchor;
    out.accentable = accentable;
    placeContent(out, proposal, ctx);
    return out;
}

void ResolvedNode::placeContent(LaidOutNode&, ProposedSize, LayoutContext&) {}

}  // namespace detail

LaidOutNode layout(const View& view, ProposedSize proposal, const TextMeasurer& measurer,
                   const EnvironmentValues& environment, Point origin) {
    detail::LayoutContext ctx{measurer};
    auto root = detail::resolve(view, environment, std::nullopt, ctx);
    return root->place(origin, proposal, ctx);
}

namespace {

// The container background, when the tree sets one, proposed and placed over the whole tile.
std::optional<LaidOutNode> layoutContainerBackground(Size tile, detail::LayoutContext& ctx) {
    if (!ctx.containerBackground) return std::nullopt;
    const detail::LayoutContext::Background bg = *ctx.containerBackground;
    auto resolved = detail::resolve(bg.content, bg.env, std::nullopt, ctx);
    const Rect whole{0, 0, tile.width, tile.height};
    LaidOutNode holder;
    holder.type = "ContainerBackground";
    holder.frame = whole;
    holder.children.push_back(
        detail::placeAligned(*resolved, whole, {whole.width, whole.height}, bg.alignment, ctx));
    return holder;
}

}  // namespace

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
    const ShapeStyle tintStyle = tintColor ? ShapeStyle(*tintColor) : ShapeStyle(TintShapeStyle{});
    tile.tint = detail::resolvePaint(tintStyle, environment).color;

    detail::LayoutContext ctx{measurer};
    auto root = detail::resolve(view, environment, std::nullopt, ctx);
    const double m = options.contentMargin;
    const Rect area{m, m, std::max(options.size.width - 2 * m, 0.0),
                    std::max(options.size.height - 2 * m, 0.0)};
    tile.content =
        detail::placeAligned(*root, area, {area.width, area.height}, Alignment::center, ctx);
    tile.containerBackground = layoutContainerBackground(options.size, ctx);
    return tile;
}

}  // namespace ui
