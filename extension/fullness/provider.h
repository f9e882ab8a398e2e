#pragma once
// The fullness widget's timeline provider and its entry.

#include <functional>

#include "extension/fullness/volume_sample.h"
#include "platform/foundation/date.h"
#include "platform/foundation/json_writer.h"
#include "platform/widgetkit/provider.h"
#include "platform/widgetkit/timeline.h"

namespace brimlet {

// One moment of the fullness widget: the figures to show from `date` on.
struct DiskEntry {
    foundation::Date date;  // when the request was answered
    VolumeSample sample;
};

// The host's JSON form of an entry: {"date", "sample": {usedFraction, used, free, total,
// volumeName}}.
void writeEntryJson(foundation::JsonWriter& json, const DiskEntry& entry);

// Answers the host for the fullness widget. No fields, no state: every snapshot (outside the
// gallery) and every timeline measures the volume again. Each operation completes exactly once,
// synchronously, on the calling thread, and none can fail.
struct Provider {
    using Entry = DiskEntry;

    // Now, with the placeholder sample; never probes.
    DiskEntry placeholder(const widgetkit::TimelineProviderContext& context) const;

    // Now, with the placeholder sample in the gallery (context.isPreview), else a live probe.
    void getSnapshot(const widgetkit::TimelineProviderContext& context,
                     const std::function<void(DiskEntry)>& completion) const;

    // One entry (now, a live probe) and a reload 30 minutes after now. Probes even in the gallery.
    // A reading that crosses into the red band asks the host for a notification (LowSpaceRule).
    void getTimeline(const widgetkit::TimelineProviderContext& context,
                     const std::function<void(widgetkit::Timeline<DiskEntry>)>& completion) const;
};

static_assert(widgetkit::TimelineProvider<Provider>);

}  // namespace brimlet
