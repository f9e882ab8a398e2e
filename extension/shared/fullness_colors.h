#pragma once
// The colours of fullness, which the fullness widget's ring and text and the Brimlet window's
// ring, bars and treemap share.

#include "platform/foundation/system_colors.h"

namespace brimlet {

// Green below 0.7, amber below 0.9, red otherwise, on the unrounded used fraction; a fraction
// that compares with neither bound (NaN) is red.
constexpr foundation::SrgbColor fullnessComponents(double usedFraction) {
    if (usedFraction < 0.7) return {0.11, 0.69, 0.48};
    if (usedFraction < 0.9) return {0.94, 0.65, 0.0};
    return {0.89, 0.29, 0.28};
}

}  // namespace brimlet
