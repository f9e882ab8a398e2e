#pragma once
// The fullness widget's low-space rule: when the home's volume crosses into the red band (used
// fraction 0.9 or more) from below, or is first read in it, the widget asks the host for one
// notification with the free space, and with when the volume fills at its recent rate when the
// containing app has worked that out (FillEstimate); it asks again only after the fraction has
// gone below 0.9.

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "extension/fullness/volume_sample.h"
#include "extension/shared/fill_estimate.h"
#include "platform/foundation/date.h"
#include "platform/widgetkit/user_notifications.h"

namespace brimlet {

// The used fraction at and above which a volume is in the red band (fullnessColor's red).
inline constexpr double kLowSpaceFraction = 0.9;

// How long a published fill estimate counts: the scheduled scan runs daily, so an estimate a week
// old means the scans have stopped and the rate it saw may no longer hold.
inline constexpr double kFillEstimateLifetimeSeconds = 7 * 86400.0;

// The seconds from `now` until the volume of `sample` is full by `estimate`. nullopt when there is
// no estimate, when it is about another volume (its volume name or capacity differ from the
// sample's), when it has no date, when it was made more than kFillEstimateLifetimeSeconds before
// `now` or after `now`, or when its date is not after `now` (the rate it saw has not held).
std::optional<double> secondsUntilFull(const std::optional<FillEstimate>& estimate,
                                       const VolumeSample& sample, foundation::Date now);

// "1.5 GB free on Data." (a sample without a volume name: "1.5 GB free."), the size as humanBytes
// writes it, in the user's language (foundation::localizedFormat); the volume's name as it is.
// With `secondsUntilFull`, a space and fillEstimateText follow.
std::string lowSpaceText(const VolumeSample& sample,
                         std::optional<double> secondsUntilFull = std::nullopt);

// Remembers, per volume name, whether the last reading was in the red band. Thread-safe.
class LowSpaceRule {
public:
    // Where the published estimate comes from; called only when a notification is due.
    using EstimateSource = std::function<std::optional<FillEstimate>()>;

    // The notification to ask for after `sample`, or nullopt. The placeholder sample is never a
    // reading and changes nothing. Its text carries the estimate of `estimate` as
    // secondsUntilFull judges it at Date::now().
    std::optional<widgetkit::NotificationRequest> note(
        const VolumeSample& sample, const EstimateSource& estimate = SharedFillEstimate::read);

    // The process's rule, which the provider's timelines feed.
    static LowSpaceRule& shared();

private:
    std::mutex mutex_;
    std::map<std::string, bool> inRed_;
};

}  // namespace brimlet
