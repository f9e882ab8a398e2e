#include "extension/fullness/low_space.h"

#include <algorithm>
#include <cmath>

#include "extension/shared/human_bytes.h"
#include "platform/foundation/localization.h"

namespace brimlet {

std::optional<double> secondsUntilFull(const std::optional<FillEstimate>& estimate,
                                       const VolumeSample& sample, foundation::Date now) {
    if (!estimate || !estimate->fullAt || estimate->volumeName != sample.volumeName ||
        estimate->total != sample.total) {
        return std::nullopt;
    }
    const double age = now.secondsSinceReferenceDate - estimate->madeAt.secondsSinceReferenceDate;
    const double left = estimate->fullAt->secondsSinceReferenceDate - now.secondsSinceReferenceDate;
    // Written so that a NaN anywhere fails every comparison and gives no estimate.
    if (!(age >= 0 && age <= kFillEstimateLifetimeSeconds && left > 0)) return std::nullopt;
    return left;
}

std::string lowSpaceText(const VolumeSample& sample, std::optional<double> secondsUntilFull) {
    std::string text =
        sample.volumeName.empty()
            ? foundation::formatLocalized(foundation::localizedFormat("%@ free."),
                                          {humanBytes(sample.free)})
            : foundation::formatLocalized(foundation::localizedFormat("%1$@ free on %2$@."),
                                          {humanBytes(sample.free), sample.volumeName});
    if (secondsUntilFull) text += " " + fillEstimateText(*secondsUntilFull);
    return text;
}

std::optional<widgetkit::NotificationRequest> LowSpaceRule::note(const VolumeSample& sample,
                                                                 const EstimateSource& estimate) {
    const VolumeSample placeholder = VolumeSample::placeholder();
    if (sample.volumeName == placeholder.volumeName && sample.total == placeholder.total &&
        sample.usedFraction == placeholder.usedFraction) {
        return std::nullopt;
    }
    const bool red = sample.usedFraction >= kLowSpaceFraction;
    bool wasRed = false;
    {
        const std::lock_guard lock(mutex_);
        auto [at, added] = inRed_.try_emplace(sample.volumeName, red);
        wasRed = !added && at->second;
        at->second = red;
    }
    if (!red || wasRed) return std::nullopt;
    const auto left =
        secondsUntilFull(estimate ? estimate() : std::nullopt, sample, foundation::Date::now());
    return widgetkit::NotificationRequest{
        "low-space", foundation::localizedFormat("Disk almost full"), lowSpaceText(sample, left)};
}

LowSpaceRule& LowSpaceRule::shared() {
    static LowSpaceRule rule;
    return rule;
}

}  // namespace brimlet
