#include "platform/widgetkit/host/timeline_schedule.h"

#include <algorithm>
#include <cmath>

namespace widgetkit::host {

using foundation::Date;

std::optional<std::size_t> showingIndex(const std::vector<AnyEntry>& entries, Date now) {
    if (entries.empty()) return std::nullopt;
    std::size_t index = 0;
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (entries[i].date <= now) index = i;
    }
    return index;
}

std::optional<Date> nextEntryDate(const std::vector<AnyEntry>& entries, Date now) {
    const auto showing = showingIndex(entries, now);
    if (!showing) return std::nullopt;
    // The first later entry whose date is still ahead; entries sharing a date switch together.
    for (std::size_t i = *showing + 1; i < entries.size(); ++i) {
        if (entries[i].date > now) return entries[i].date;
    }
    return std::nullopt;
}

std::optional<Date> policyReloadDate(const TimelineReloadPolicy& policy,
                                     const std::vector<AnyEntry>& entries, Date receivedAt,
                                     std::optional<Date> previousRequest) {
    Date when;
    switch (policy.kind()) {
        case TimelineReloadPolicy::Kind::never: return std::nullopt;
        case TimelineReloadPolicy::Kind::after: when = policy.date(); break;
        case TimelineReloadPolicy::Kind::atEnd:
            when = entries.empty() ? receivedAt : entries.back().date;
            break;
    }
    // A date at infinity is never reached; a NaN date compares false with everything and is
    // treated as the past.
    if (std::isinf(when.secondsSinceReferenceDate) && when.secondsSinceReferenceDate > 0) {
        return std::nullopt;
    }
    if (std::isnan(when.secondsSinceReferenceDate) || when <= receivedAt) {
        when = Date{receivedAt.secondsSinceReferenceDate + kMinimumReloadInterval};
    }
    if (previousRequest) {
        const Date floor{previousRequest->secondsSinceReferenceDate + kMinimumReloadInterval};
        when = std::max(when, floor);
    }
    return when;
}

}  // namespace widgetkit::host
