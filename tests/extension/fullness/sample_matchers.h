#pragma once
// Test-side comparison and printing for VolumeSample, which has no equality of its own.

#include <gmock/gmock.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "extension/fullness/volume_sample.h"

namespace brimlet {

inline void PrintTo(const VolumeSample& s, std::ostream* os) {
    *os << "{usedFraction " << s.usedFraction << ", used " << s.used << ", free " << s.free
        << ", total " << s.total << ", volumeName \"" << s.volumeName << "\"}";
}

// Matches a sample field by field; the fraction must be exactly the expected double.
MATCHER_P5(SampleIs, fraction, usedBytes, freeBytes, totalBytes, name,
           "is the sample {usedFraction " + ::testing::PrintToString(fraction) + ", used " +
               ::testing::PrintToString(usedBytes) + ", free " + ::testing::PrintToString(freeBytes) +
               ", total " + ::testing::PrintToString(totalBytes) + ", volumeName \"" +
               std::string(name) + "\"}") {
    return arg.usedFraction == static_cast<double>(fraction) &&
           arg.used == static_cast<std::int64_t>(usedBytes) &&
           arg.free == static_cast<std::int64_t>(freeBytes) &&
           arg.total == static_cast<std::int64_t>(totalBytes) && arg.volumeName == std::string(name);
}

// The fixed placeholder values, written out rather than taken from VolumeSample::placeholder().
inline auto IsPlaceholderSample() {
    return SampleIs(0.62, 620'000'000'000, 380'000'000'000, 1'000'000'000'000, "Macintosh HD");
}

}  // namespace brimlet
