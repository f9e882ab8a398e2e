#pragma once
// Geometry vocabulary of the view toolkit. All lengths are in points (1/72 inch at scale 1); the
// y axis points down, so "top" is the smallest y.

#include <cmath>
#include <limits>
#include <optional>

namespace ui {

// The largest length: a maximum of `infinity` takes everything a parent offers.
inline constexpr double infinity = std::numeric_limits<double>::infinity();

struct Point {
    double x = 0;
    double y = 0;
};

struct Size {
    double width = 0;
    double height = 0;
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    constexpr double minX() const { return x; }
    constexpr double minY() const { return y; }
    constexpr double maxX() const { return x + width; }
    constexpr double maxY() const { return y + height; }
    constexpr double midX() const { return x + width / 2; }
    constexpr double midY() const { return y + height / 2; }
};

// A size offered by a parent, optional per axis: nullopt asks for the ideal size, 0 for the
// minimum and `infinity` for the maximum. Values are never negative.
struct ProposedSize {
    std::optional<double> width;
    std::optional<double> height;

    friend constexpr bool operator==(const ProposedSize&, const ProposedSize&) = default;
};

enum class Axis { horizontal, vertical };

enum class HorizontalAlignment { leading, center, trailing };
enum class VerticalAlignment { top, center, bottom };

// Where a child sits inside a larger frame, on both axes.
struct Alignment {
    HorizontalAlignment horizontal = HorizontalAlignment::center;
    VerticalAlignment vertical = VerticalAlignment::center;

    static const Alignment center;
    static const Alignment leading;
    static const Alignment trailing;
    static const Alignment top;
    static const Alignment bottom;
    static const Alignment topLeading;
    static const Alignment topTrailing;
    static const Alignment bottomLeading;
    static const Alignment bottomTrailing;

    friend constexpr bool operator==(const Alignment&, const Alignment&) = default;
};

inline constexpr Alignment Alignment::center{HorizontalAlignment::center,
                                             VerticalAlignment::center};
inline constexpr Alignment Alignment::leading{HorizontalAlignment::leading,
                                              VerticalAlignment::center};
inline constexpr Alignment Alignment::trailing{HorizontalAlignment::trailing,
                                               VerticalAlignment::center};
inline constexpr Alignment Alignment::top{HorizontalAlignment::center, VerticalAlignment::top};
inline constexpr Alignment Alignment::bottom{HorizontalAlignment::center,
                                             VerticalAlignment::bottom};
inline constexpr Alignment Alignment::topLeading{HorizontalAlignment::leading,
                                                 VerticalAlignment::top};
inline constexpr Alignment Alignment::topTrailing{HorizontalAlignment::trailing,
                                                  VerticalAlignment::top};
inline constexpr Alignment Alignment::bottomLeading{HorizontalAlignment::leading,
                                                    VerticalAlignment::bottom};
inline constexpr Alignment Alignment::bottomTrailing{HorizontalAlignment::trailing,
                                                     VerticalAlignment::bottom};

// A point in a rectangle's own unit square: (0, 0) is the top-leading corner, (1, 1) the
// bottom-trailing one.
struct UnitPoint {
    double x = 0;
    double y = 0;

    static const UnitPoint zero;
    static const UnitPoint center;
    static const UnitPoint leading;
    static const UnitPoint trailing;
    static const UnitPoint top;
    static const UnitPoint bottom;
    static const UnitPoint topLeading;
    static const UnitPoint topTrailing;
    static const UnitPoint bottomLeading;
    static const UnitPoint bottomTrailing;

    friend constexpr bool operator==(const UnitPoint&, const UnitPoint&) = default;
};

inline constexpr UnitPoint UnitPoint::zero{0, 0};
inline constexpr UnitPoint UnitPoint::center{0.5, 0.5};
inline constexpr UnitPoint UnitPoint::leading{0, 0.5};
inline constexpr UnitPoint UnitPoint::trailing{1, 0.5};
inline constexpr UnitPoint UnitPoint::top{0.5, 0};
inline constexpr UnitPoint UnitPoint::bottom{0.5, 1};
inline constexpr UnitPoint UnitPoint::topLeading{0, 0};
inline constexpr UnitPoint UnitPoint::topTrailing{1, 0};
inline constexpr UnitPoint UnitPoint::bottomLeading{0, 1};
inline constexpr UnitPoint UnitPoint::bottomTrailing{1, 1};

// A plane angle. Positive angles turn clockwise on screen (the y axis points down).
class Angle {
public:
    constexpr Angle() = default;
    static constexpr Angle degrees(double value) { return Angle(value * kPi / 180.0); }

    constexpr double inRadians() const { return radians_; }
    constexpr double inDegrees() const { return radians_ * 180.0 / kPi; }

    friend constexpr Angle operator+(Angle a, Angle b) { return Angle(a.radians_ + b.radians_); }

private:
    static constexpr double kPi = 3.14159265358979323846;
    constexpr explicit Angle(double r) : radians_(r) {}
    double radians_ = 0;
};

// Insets in points from each edge.
struct EdgeInsets {
    double top = 0;
    double leading = 0;
    double bottom = 0;
    double trailing = 0;
};

// A set of rectangle edges.
struct Edge {
    enum class Set : unsigned {
        none = 0,
        top = 1,
        leading = 2,
        bottom = 4,
        trailing = 8,
        horizontal = 2 | 8,
        vertical = 1 | 4,
        all = 15,
    };
};

}  // namespace ui
