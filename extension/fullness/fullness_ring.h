#pragma once
// The ring gauge of a used fraction, and the colour rule both widgets use.

#include <cstdint>
#include <optional>

#include "platform/ui/ui.h"

namespace brimlet {

// Green below 0.7, amber below 0.9, red otherwise, on the unrounded fraction; a fraction that
// compares with neither bound (NaN) is red. Opaque sRGB.
ui::Color fullnessColor(double fraction);

// fraction × 100 rounded half away from zero, as a 64-bit integer; nullopt when the result
// would not fit (NaN, infinities, |fraction × 100| ≥ 2^63), so no conversion is ever undefined.
std::optional<std::int64_t> roundedPercent(double fraction);

// A faint full circle as the track, an arc over it from twelve o'clock clockwise for `fraction`
// of the turn in fullnessColor(fraction), and, when `showsPercent`, the rounded percentage in the
// centre ("62%"). A fraction ≥ 1 closes the circle; ≤ 0 leaves an arc of no length.
struct FullnessRing {
    double fraction;
    double lineWidth;  // points, both strokes
    bool showsPercent;

    ui::View body() const;
};

}  // namespace brimlet
