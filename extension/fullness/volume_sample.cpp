#include "extension/fullness/volume_sample.h"

#include "platform/foundation/home.h"

namespace brimlet {

VolumeSample VolumeSample::placeholder() {
    return VolumeSample{
        .usedFraction = 0.62,
        .used = 620'000'000'000,
        .free = 380'000'000'000,
        .total = 1'000'000'000'000,
        .volumeName = "Macintosh HD",
    };
}

VolumeSample sampleFromFigures(const std::optional<foundation::VolumeFigures>& figures) {
    if (!figures || !figures->totalCapacity || *figures->totalCapacity < 1) {
        return VolumeSample::placeholder();
    }
    const std::int64_t total = *figures->totalCapacity;
    const std::int64_t free = figures->availableCapacityForImportantUsage.value_or(
        figures->availableCapacity.value_or(0));
    // total − free overflows when free is very negative: such a reading saturates rather than
    // wrapping into a negative (and then floored) figure.
    std::int64_t used = 0;
    if (__builtin_sub_overflow(total, free, &used)) used = INT64_MAX;
    if (used < 0) used = 0;
    double fraction = static_cast<double>(used) / static_cast<double>(total);
    if (fraction < 0) fraction = 0;
    if (fraction > 1) fraction = 1;
    return VolumeSample{
        .usedFraction = fraction,
        .used = used,
        .free = free,
        .total = total,
        .volumeName = figures->volumeName.value_or("Disk"),
    };
}

VolumeSample probeVolume() {
    const auto home = foundation::homeDirectory();
    if (!home) return VolumeSample::placeholder();
    return sampleFromFigures(foundation::volumeFigures(*home));
}

}  // namespace brimlet
