#pragma once
// Colours and shape styles. A ShapeStyle is a value that is resolved against the environment at
// layout time (colour scheme, tint, the foreground style in force) into a concrete Paint.

#include <variant>
#include <vector>

#include "platform/ui/geometry.h"

namespace ui {

enum class ColorScheme { light, dark };

// How the host composites a widget: as drawn, or in two flat groups (accentable views in the
// tint, everything else in white, each keeping its alpha).
enum class RenderingMode { fullColor, accented };

enum class RGBColorSpace { sRGB };

// A colour: sRGB components in 0...1 and an opacity in 0...1, or the system accent colour
// (#007AFF in light appearance, #0A84FF in dark) times `alpha`.
struct Color {
    enum class Kind { rgb, accent };

    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;
    Kind kind = Kind::rgb;

    constexpr Color() = default;
    constexpr Color(double r, double g, double b, double opacity = 1)
        : red(r), green(g), blue(b), alpha(opacity) {}
    constexpr Color(RGBColorSpace, double r, double g, double b, double opacity = 1)
        : red(r), green(g), blue(b), alpha(opacity) {}

    static constexpr Color sRGB(double r, double g, double b, double opacity = 1) {
        return Color(r, g, b, opacity);
    }
    // The same colour with its opacity multiplied by `factor`.
    constexpr Color opacity(double factor) const {
        Color c = *this;
        c.alpha *= factor;
        return c;
    }

    static const Color accentColor;
    static const Color clear;
    static const Color black;
    static const Color white;

    friend constexpr bool operator==(const Color&, const Color&) = default;

private:
    constexpr Color(Kind k) : kind(k) {}
};

inline constexpr Color Color::accentColor{Color::Kind::accent};
inline constexpr Color Color::clear{0, 0, 0, 0};
inline constexpr Color Color::black{0, 0, 0, 1};
inline constexpr Color Color::white{1, 1, 1, 1};

// Colours spread evenly from the first (location 0) to the last (location 1).
struct Gradient {
    std::vector<Color> colors{};
};

// A gradient along the line from `startPoint` to `endPoint`, unit points of the filled frame.
struct LinearGradient {
    Gradient gradient{};
    UnitPoint startPoint = UnitPoint::top;
    UnitPoint endPoint = UnitPoint::bottom;

    LinearGradient(Gradient g, UnitPoint start, UnitPoint end)
        : gradient(std::move(g)), startPoint(start), endPoint(end) {}
};

// A level of the current foreground style: primary is the style itself; secondary, tertiary
// and quaternary are fainter (label colours, or the foreground colour at 0.5, 0.25, 0.18).
struct HierarchicalShapeStyle {
    enum class Level { primary, secondary, tertiary, quaternary };
    Level level = Level::primary;
};

// The current tint: the environment's tint when set, otherwise the accent colour.
struct TintShapeStyle {};

// The system window background: #ECECEC light, #323232 dark.
struct BackgroundStyle {};

inline constexpr HierarchicalShapeStyle primary{HierarchicalShapeStyle::Level::primary};
inline constexpr HierarchicalShapeStyle secondary{HierarchicalShapeStyle::Level::secondary};
inline constexpr HierarchicalShapeStyle tertiary{HierarchicalShapeStyle::Level::tertiary};
inline constexpr HierarchicalShapeStyle quaternary{HierarchicalShapeStyle::Level::quaternary};
inline constexpr TintShapeStyle tint{};
inline constexpr BackgroundStyle background{};

// Any of the styles above, with an opacity factor in 0...1.
class ShapeStyle {
public:
    using Value = std::variant<HierarchicalShapeStyle, TintShapeStyle, BackgroundStyle, Color,
                               LinearGradient>;

    // The primary level of the foreground style.
    ShapeStyle() : value_(primary) {}
    ShapeStyle(HierarchicalShapeStyle s) : value_(s) {}
    ShapeStyle(TintShapeStyle s) : value_(s) {}
    ShapeStyle(BackgroundStyle s) : value_(s) {}
    ShapeStyle(Color c) : value_(c) {}
    ShapeStyle(LinearGradient g) : value_(std::move(g)) {}

    // The same style with its opacity multiplied by `factor`.
    ShapeStyle opacity(double factor) const {
        ShapeStyle s = *this;
        s.opacity_ *= factor;
        return s;
    }

    const Value& value() const { return value_; }
    double opacityFactor() const { return opacity_; }

private:
    Value value_;
    double opacity_ = 1;
};

enum class LineCap { butt, round, square };
enum class LineJoin { miter, round, bevel };

// How a shape's outline is stroked. The stroke is centred on the outline: half of `lineWidth`
// (points) lies outside the shape.
struct StrokeStyle {
    double lineWidth = 1;
    LineCap lineCap = LineCap::butt;
    LineJoin lineJoin = LineJoin::miter;
    double miterLimit = 10;
};

enum class RoundedCornerStyle { circular, continuous };

// A concrete straight-alpha sRGB colour, components 0...1.
struct RGBA {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 0;

    friend constexpr bool operator==(const RGBA&, const RGBA&) = default;
};

// A style resolved for drawing: one colour, or a linear gradient whose stops are spread evenly.
struct Paint {
    enum class Kind { solid, linearGradient };
    Kind kind = Kind::solid;
    RGBA color{};               // kind == solid
    std::vector<RGBA> stops{};  // kind == linearGradient, at least one
    UnitPoint startPoint = UnitPoint::top;
    UnitPoint endPoint = UnitPoint::bottom;
};

// The platform colours, by colour scheme.
RGBA accentColor(ColorScheme scheme);
RGBA backgroundColor(ColorScheme scheme);
// The label colour at a hierarchical level when no custom foreground colour is in force.
RGBA labelColor(ColorScheme scheme, HierarchicalShapeStyle::Level level);

}  // namespace ui
