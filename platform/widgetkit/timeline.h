#pragma once
// What a provider hands the host: entries, timelines and reload policies.

#include <concepts>
#include <vector>

#include "platform/foundation/date.h"

namespace widgetkit {

// An entry is a value with a `date`: the moment from which it is current. The host's default
// relevance (none) applies to every entry; the platform asks nothing else of it.
template <class E>
concept TimelineEntry = std::copy_constructible<E> && requires(const E& e) {
    { e.date } -> std::convertible_to<foundation::Date>;
};

// When the host asks the provider for a new timeline.
class TimelineReloadPolicy {
public:
    enum class Kind { atEnd, after, never };

    // Ask again once the last entry's date has passed.
    static TimelineReloadPolicy atEnd() { return TimelineReloadPolicy(Kind::atEnd, {}); }
    // Ask again no earlier than `date`.
    static TimelineReloadPolicy after(foundation::Date date) {
        return TimelineReloadPolicy(Kind::after, date);
    }
    // Never ask again on its own.
    static TimelineReloadPolicy never() { return TimelineReloadPolicy(Kind::never, {}); }

    Kind kind() const { return kind_; }
    // The date of an `after` policy; meaningless for the other kinds.
    foundation::Date date() const { return date_; }

private:
    TimelineReloadPolicy(Kind kind, foundation::Date date) : kind_(kind), date_(date) {}
    Kind kind_;
    foundation::Date date_;
};

// Entries in ascending date order, and the policy for the next request.
template <TimelineEntry Entry>
struct Timeline {
    std::vector<Entry> entries;
    TimelineReloadPolicy policy;
};

}  // namespace widgetkit
