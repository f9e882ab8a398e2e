#include "extension/fullness/provider.h"

#include "extension/fullness/low_space.h"
#include "platform/widgetkit/user_notifications.h"

namespace brimlet {

void writeEntryJson(foundation::JsonWriter& json, const DiskEntry& entry) {
    json.beginObject();
    json.member("date", foundation::iso8601(entry.date));
    json.key("sample").beginObject();
    json.member("usedFraction", entry.sample.usedFraction);
    json.member("used", entry.sample.used);
    json.member("free", entry.sample.free);
    json.member("total", entry.sample.total);
    json.member("volumeName", entry.sample.volumeName);
    json.endObject();
    json.endObject();
}

DiskEntry Provider::placeholder(const widgetkit::TimelineProviderContext& /*context*/) const {
    return DiskEntry{foundation::Date::now(), VolumeSample::placeholder()};
}

void Provider::getSnapshot(const widgetkit::TimelineProviderContext& context,
                           const std::function<void(DiskEntry)>& completion) const {
    VolumeSample sample = context.isPreview ? VolumeSample::placeholder() : probeVolume();
    completion(DiskEntry{foundation::Date::now(), std::move(sample)});
}

void Provider::getTimeline(
    const widgetkit::TimelineProviderContext& /*context*/,
    const std::function<void(widgetkit::Timeline<DiskEntry>)>& completion) const {
    const foundation::Date now = foundation::Date::now();
    DiskEntry entry{now, probeVolume()};
    if (auto request = LowSpaceRule::shared().note(entry.sample)) {
        widgetkit::UserNotificationCenter::current().add(std::move(*request));
    }
    const foundation::Date refresh = foundation::Calendar::current()
                                         .date(foundation::Calendar::Component::minute, 30, now)
                                         .value_or(now);
    completion(widgetkit::Timeline<DiskEntry>{{std::move(entry)},
                                              widgetkit::TimelineReloadPolicy::after(refresh)});
}

}  // namespace brimlet
