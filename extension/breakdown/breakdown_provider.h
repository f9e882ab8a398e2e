#pragma once
// The breakdown widget's timeline provider.

#include <future>

#include "extension/breakdown/breakdown_entry.h"
#include "extension/intents/select_area_intent.h"
#include "platform/widgetkit/provider.h"

namespace brimlet {

// Answers the host for the breakdown widget. No fields and no state: every snapshot (outside the
// gallery) and every timeline reads the snapshot file again. The provider neither resolves the
// area nor looks inside the snapshot. snapshot() and timeline() run as tasks on the shared
// executor, capture by value and deliver exactly once; placeholder() does no input or output.
struct BreakdownProvider {
    using Entry = BreakdownEntry;
    using Intent = SelectAreaIntent;

    // Now, the sample snapshot, no area, whatever is configured.
    BreakdownEntry placeholder(const widgetkit::TimelineProviderContext& context) const;

    // Now (taken first), the sample snapshot in the gallery (context.isPreview) or else the
    // stored one (absent when unreadable), and the configured area's id.
    std::future<BreakdownEntry> snapshot(const SelectAreaIntent& intent,
                                         const widgetkit::TimelineProviderContext& context) const;

    // One entry (now, the stored snapshot whatever the context says, the configured area's id)
    // and a reload six hours after now.
    std::future<widgetkit::Timeline<BreakdownEntry>> timeline(
        const SelectAreaIntent& intent, const widgetkit::TimelineProviderContext& context) const;
};

static_assert(widgetkit::AppIntentTimelineProvider<BreakdownProvider>);

}  // namespace brimlet
