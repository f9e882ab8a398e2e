#include "extension/shared/volume_reading.h"

#include <algorithm>
#include <limits>

namespace brimlet {

std::optional<VolumeReading> readVolume(const std::optional<foundation::VolumeFigures>& figures) {
    if (!figures || !figures->totalCapacity || *figures->totalCapacity < 1) return std::nullopt;
    VolumeReading reading;
    reading.total = *figures->totalCapacity;
    reading.free = figures->availableCapacityForImportantUsage.value_or(
        figures->availableCapacity.value_or(0));
    // total − free overflows only for a hugely negative free figure: such a reading saturates
    // rather than wrapping into a negative, then floored, figure.
    std::int64_t used = 0;
    if (__builtin_sub_overflow(reading.total, reading.free, &used)) {
        used = std::numeric_limits<std::int64_t>::max();
    }
    reading.used = std::max<std::int64_t>(used, 0);
    const double fraction = static_cast<double>(reading.used) / static_cast<double>(reading.total);
    reading.usedFraction = std::clamp(fraction, 0.0, 1.0);
    reading.volumeName = figures->volumeName;
    return reading;
}

}  // namespace brimlet
