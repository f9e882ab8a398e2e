#include "extension/fullness/low_space.h"

#include "extension/shared/human_bytes.h"

namespace brimlet {

std::string lowSpaceText(const VolumeSample& sample) {
    std::string text = humanBytes(sample.free) + " free";
    if (!sample.volumeName.empty()) text += " on " + sample.volumeName;
    return text + ".";
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
    return widgetkit::NotificationRequest{"low-space", "Disk almost full", lowSpaceText(sample)};
}

LowSpaceRule& LowSpaceRule::shared() {
    static LowSpaceRule rule;
    return rule;
}

}  // namespace brimlet
