#include "app/history/estimate.h"

#include <cmath>

#include "platform/foundation/text.h"

namespace brimlet {

std::optional<FullEstimate> estimateFull(const std::vector<UsedSample>& samples, std::int64_t total,
                                         foundation::Date now) {
    if (total <= 0) return std::nullopt;
    const double end = now.secondsSinceReferenceDate;
    const double start = end - kEstimateWindowSeconds;
    // Times relative to `now` and sizes in bytes keep the sums well within a double's precision.
    double n = 0, sumT = 0, sumU = 0, first = 0, last = -kEstimateWindowSeconds;
    bool any = false;
    for (const UsedSample& sample : samples) {
        const double t = sample.time.secondsSinceReferenceDate;
        if (!(t >= start && t <= end)) continue;
        const double x = t - end;
        first = any ? std::min(first, x) : x;
        last = any ? std::max(last, x) : x;
        any = true;
        n += 1;
        sumT += x;
        sumU += static_cast<double>(sample.used);
    }
    if (n < static_cast<double>(kEstimateMinimumRecords) ||
        last - first < kEstimateMinimumSpanSeconds) {
        return std::nullopt;
    }
    const double meanT = sumT / n, meanU = sumU / n;
    double sxx = 0, sxy = 0;
    for (const UsedSample& sample : samples) {
        const double t = sample.time.secondsSinceReferenceDate;
        if (!(t >= start && t <= end)) continue;
        const double dx = t - end - meanT;
        sxx += dx * dx;
        sxy += dx * (static_cast<double>(sample.used) - meanU);
    }
    const double slope = sxy / sxx;  // bytes per second; sxx > 0 since the span is not 0
    if (!(slope > 0)) return std::nullopt;
    const double usedNow = meanU - slope * meanT;  // the line at `now` (x = 0)
    const double remaining = std::max(0.0, (static_cast<double>(total) - usedNow) / slope);
    if (!(remaining <= kEstimateHorizonSeconds)) return std::nullopt;
    return FullEstimate{foundation::Date{end + remaining}, slope * 86400.0};
}

}  // namespace brimlet
