#include "platform/ui/detail/resolve_style.h"

namespace ui::detail {

namespace {

using Level = HierarchicalShapeStyle::Level;

double levelFactor(Level level) {
    switch (level) {
        case Level::primary: return 1.0;
        case Level::secondary: return 0.5;
        case Level::tertiary: return 0.25;
        case Level::quaternary: return 0.18;
    }
    return 1.0;
}

RGBA resolveColor(const Color& c, const EnvironmentValues& env) {
    if (c.kind == Color::Kind::accent) {
        RGBA a = accentColor(env.get<ColorSchemeKey>());
        a.alpha *= c.alpha;
        return a;
    }
    return {c.red, c.green, c.blue, c.alpha};
}

Paint solid(RGBA color) {
    Paint p;
    p.color = color;
    return p;
}

void scaleAlpha(Paint& p, double factor) {
    p.color.alpha *= factor;
    for (RGBA& s : p.stops) s.alpha *= factor;
}

}  // namespace

Paint resolvePaint(const ShapeStyle& style, const EnvironmentValues& env) {
    const ColorScheme scheme = env.get<ColorSchemeKey>();
    Paint paint;
    const auto& v = style.value();
    if (const auto* h = std::get_if<HierarchicalShapeStyle>(&v)) {
        const ShapeStyle fg = env.get<ForegroundStyleKey>();
        if (const auto* fh = std::get_if<HierarchicalShapeStyle>(&fg.value())) {
            const Level level = h->level == Level::primary ? fh->level : h->level;
            paint = solid(labelColor(scheme, level));
            scaleAlpha(paint, fg.opacityFactor());
        } else {
            paint = resolvePaint(fg, env);
            scaleAlpha(paint, levelFactor(h->level));
        }
    } else if (std::holds_alternative<TintShapeStyle>(v)) {
        const auto t = env.get<TintKey>();
        paint = solid(t ? resolveColor(*t, env) : accentColor(scheme));
    } else if (std::holds_alternative<BackgroundStyle>(v)) {
        paint = solid(backgroundColor(scheme));
    } else if (const auto* c = std::get_if<Color>(&v)) {
        paint = solid(resolveColor(*c, env));
    } else if (const auto* g = std::get_if<LinearGradient>(&v)) {
        paint.kind = Paint::Kind::linearGradient;
        for (const Color& stop : g->gradient.colors) paint.stops.push_back(resolveColor(stop, env));
        if (paint.stops.empty()) paint.stops.push_back(RGBA{});
        paint.color = paint.stops.front();
        paint.startPoint = g->startPoint;
        paint.endPoint = g->endPoint;
    }
    scaleAlpha(paint, style.opacityFactor());
    return paint;
}

ShapeStyle foregroundFor(const ShapeStyle& style, const EnvironmentValues& env) {
    const auto* h = std::get_if<HierarchicalShapeStyle>(&style.value());
    if (h == nullptr) return style;
    const ShapeStyle fg = env.get<ForegroundStyleKey>();
    if (const auto* fh = std::get_if<HierarchicalShapeStyle>(&fg.value())) {
        const Level level = h->level == Level::primary ? fh->level : h->level;
        return ShapeStyle(HierarchicalShapeStyle{level})
            .opacity(style.opacityFactor() * fg.opacityFactor());
    }
    return fg.opacity(levelFactor(h->level) * style.opacityFactor());
}

}  // namespace ui::detail
