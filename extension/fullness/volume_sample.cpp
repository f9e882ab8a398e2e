#include "extension/fullness/volume_sample.h"

#include "extension/shared/volume_reading.h"
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
    const auto reading = readVolume(figures);
    if (!reading) return VolumeSample::placeholder();
    return VolumeSample{
        .usedFraction = reading->usedFraction,
        .used = reading->used,
        .free = reading->free,
        .total = reading->total,
        .volumeName = reading->volumeName.value_or("Disk"),
    };
}

VolumeSample probeVolume() {
    const auto home = foundation::homeDirectory();
    if (!home) return VolumeSample::placeholder();
    return sampleFromFigures(foundation::volumeFigures(*home));
}

}  // namespace brimlet
