#pragma once
// When the disk fills: a least-squares line through the volume's used bytes over the recent
// records, extended to the volume's capacity.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/date.h"

namespace brimlet {

inline constexpr double kEstimateWindowSeconds = 30 * 86400.0;  // records of the last 30 days
inline constexpr std::size_t kEstimateMinimumRecords = 3;
inline constexpr double kEstimateMinimumSpanSeconds = 3 * 86400.0;
// A trend that would take longer than this to fill the volume counts as flat.
inline constexpr double kEstimateHorizonSeconds = 10 * 365 * 86400.0;

struct UsedSample {
    foundation::Date time;
    std::int64_t used = 0;  // bytes in use on the volume
};

struct FullEstimate {
    foundation::Date fullAt;  // when the line reaches the capacity; never before `now`
    double bytesPerDay = 0;   // the line's slope, above 0
};

// The line fitted to the samples taken in the 30 days up to `now` (samples after `now` are left
// out too). nullopt with fewer than three such samples, when they span less than three days, when
// `total` is not above 0, or when the slope is not above 0 or reaches `total` only beyond ten
// years (a flat or falling trend). A line already past `total` gives `now`.
std::optional<FullEstimate> estimateFull(const std::vector<UsedSample>& samples, std::int64_t total,
                                         foundation::Date now);

}  // namespace brimlet
