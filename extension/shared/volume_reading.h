#pragma once
// The one piece of volume arithmetic: from one query's figures to used, free, total and the used
// fraction. The fullness probe shows it; the containing app's scanner writes it into the
// snapshot. Both go through readVolume, so a widget and a snapshot of the same moment agree.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/foundation/volume.h"

namespace brimlet {

struct VolumeReading {
    double usedFraction = 0;  // used ÷ total, limited to 0...1
    std::int64_t used = 0;    // total − free, floored at 0; saturates instead of wrapping
    std::int64_t free = 0;    // the reported available figure, not limited
    std::int64_t total = 0;   // ≥ 1
    std::optional<std::string> volumeName;  // absent when the platform gave none
};

// nullopt when the query failed or gave no total of at least 1 byte. `free` is the capacity
// available for important usage when present, else the plain available capacity, else 0.
std::optional<VolumeReading> readVolume(const std::optional<foundation::VolumeFigures>& figures);

}  // namespace brimlet
