#pragma once
// The fullness widget's low-space rule: when the home's volume crosses into the red band (used
// fraction 0.9 or more) from below, or is first read in it, the widget asks the host for one
// notification with the free space; it asks again only after the fraction has gone below 0.9.

#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "extension/fullness/volume_sample.h"
#include "platform/widgetkit/user_notifications.h"

namespace brimlet {

// The used fraction at and above which a volume is in the red band (fullnessColor's red).
inline constexpr double kLowSpaceFraction = 0.9;

// "1.5 GB free on Data." (a sample without a volume name: "1.5 GB free."), the size as humanBytes
// writes it, in the user's language (foundation::localizedFormat); the volume's name as it is.
std::string lowSpaceText(const VolumeSample& sample);

// Remembers, per volume name, whether the last reading was in the red band. Thread-safe.
class LowSpaceRule {
public:
    // The notification to ask for after `sample`, or nullopt. The placeholder sample is never a
    // reading and changes nothing.
    std::optional<widgetkit::NotificationRequest> note(const VolumeSample& sample);

    // The process's rule, which the provider's timelines feed.
    static LowSpaceRule& shared();

private:
    std::mutex mutex_;
    std::map<std::string, bool> inRed_;
};

}  // namespace brimlet
