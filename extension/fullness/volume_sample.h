#pragma once
// One reading of the volume that holds the home directory.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/foundation/volume.h"

namespace brimlet {

// A plain value. A sample made from real figures has total ≥ 1, used = total − free floored at 0
// (so used + free = total only while free ≤ total), and usedFraction = used ÷ total in 0...1.
// `free` is the reported figure, not limited.
struct VolumeSample {
    double usedFraction;  // 0...1
    std::int64_t used;    // bytes in use
    std::int64_t free;    // bytes available to the user, as reported
    std::int64_t total;   // capacity in bytes
    std::string volumeName;

    // The fixed sample shown for placeholders, gallery previews and whenever the volume cannot
    // be measured: "Macintosh HD", 10^12 bytes, 62 % used (the stored constant 0.62).
    static VolumeSample placeholder();
};

// Measures the volume that holds the home directory: one volume query per call, no cache.
// Never fails: without a home directory, a working query or a total of at least 1 byte it
// returns VolumeSample::placeholder(), and a caller cannot tell the two apart.
VolumeSample probeVolume();

// The probe's arithmetic on one query's result (nullopt = the query failed).
VolumeSample sampleFromFigures(const std::optional<foundation::VolumeFigures>& figures);

}  // namespace brimlet
