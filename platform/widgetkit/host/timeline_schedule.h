#pragma once
// When a live host shows which entry of a timeline, and when it asks the provider again. Pure
// functions of the timeline and the clock's reading, so that the rules are tested without
// waiting.

#include <cstddef>
#include <optional>
#include <vector>

#include "platform/foundation/date.h"
#include "platform/widgetkit/configuration.h"
#include "platform/widgetkit/timeline.h"

namespace widgetkit::host {

// The shortest time, in seconds, from a widget's previous request to a reload that its own
// policy asks for. A policy date in the past, or one sooner than this after the previous request,
// waits until this much time has passed: a widget asking for constant reloads must not keep the
// host busy. Events (a new snapshot, the user's Reload) are not held back.
inline constexpr double kMinimumReloadInterval = 5 * 60;

// The entry showing at `now`: the latest whose date is not after `now`; before the first entry's
// date, the first. Entries ascend by date. nullopt for an empty timeline.
std::optional<std::size_t> showingIndex(const std::vector<AnyEntry>& entries, foundation::Date now);

// The moment the showing entry gives way to a later one, without asking the provider: the date of
// the entry after the one showing at `now`; nullopt when the last entry shows.
std::optional<foundation::Date> nextEntryDate(const std::vector<AnyEntry>& entries,
                                              foundation::Date now);

// When to ask the provider again for a timeline received at `receivedAt`:
//   after(date)  at that date;
//   atEnd        at the last entry's date (at `receivedAt` for an empty timeline);
//   never        never (nullopt): only an event reloads the widget; so does an `after` date at
//                positive infinity.
// The moment is held to the floor of kMinimumReloadInterval: no earlier than that after
// `receivedAt` when it is not after `receivedAt`, and no earlier than that after
// `previousRequest`, the moment the request that brought this timeline started.
std::optional<foundation::Date> policyReloadDate(const TimelineReloadPolicy& policy,
                                                 const std::vector<AnyEntry>& entries,
                                                 foundation::Date receivedAt,
                                                 std::optional<foundation::Date> previousRequest);

}  // namespace widgetkit::host
