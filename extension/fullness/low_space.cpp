#include "extension/fullness/low_space.h"

#include "extension/shared/human_bytes.h"
#include "platform/foundation/localization.h"

namespace brimlet {

std::string lowSpaceText(const VolumeSample& sample) {
    if (sample.volumeName.empty()) {
        return foundation::formatLocalized(foundation::localizedFormat("%@ free."),
                                           {humanBytes(sample.free)});
    }
    return foundation::formatLocalized(foundation::localizedFormat("%1$@ free on %2$@."),
                                       {humanBytes(sample.free), sample.volumeName});
}

std::optional<widgetkit::NotificationRequest> LowSpaceRule::note(const VolumeSample& sample) {
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
    return widgetkit::NotificationRequest{
        "low-space", foundation::localizedFormat("Disk almost full"), lowSpaceText(sample)};
}

LowSpaceRule& LowSpaceRule::shared() {
    static LowSpaceRule rule;
    return rule;
}

}  // namespace brimlet
