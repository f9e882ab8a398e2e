#include "extension/breakdown/breakdown_provider.h"

#include "extension/shared/shared_snapshot.h"
#include "platform/foundation/executor.h"

namespace brimlet {
namespace {

std::optional<std::string> areaNameOf(const SelectAreaIntent& intent) {
    if (!intent.area.wrappedValue) return std::nullopt;
    return intent.area.wrappedValue->id;
}

}  // namespace

BreakdownEntry BreakdownProvider::placeholder(
    const widgetkit::TimelineProviderContext& /*context*/) const {
    return BreakdownEntry{foundation::Date::now(), DiskSnapshot::preview(), std::nullopt};
}

std::future<BreakdownEntry> BreakdownProvider::snapshot(
    const SelectAreaIntent& intent, const widgetkit::TimelineProviderContext& context) const {
    return foundation::sharedExecutor().submit(
        [areaName = areaNameOf(intent), isPreview = context.isPreview] {
            const foundation::Date date = foundation::Date::now();
            std::optional<DiskSnapshot> snapshot =
                isPreview ? std::optional<DiskSnapshot>(DiskSnapshot::preview())
                          : SharedSnapshot::read();
            return BreakdownEntry{date, std::move(snapshot), areaName};
        });
}

std::future<widgetkit::Timeline<BreakdownEntry>> BreakdownProvider::timeline(
    const SelectAreaIntent& intent, const widgetkit::TimelineProviderContext& /*context*/) const {
    return foundation::sharedExecutor().submit([areaName = areaNameOf(intent)] {
        const foundation::Date now = foundation::Date::now();
        BreakdownEntry entry{now, SharedSnapshot::read(), areaName};
        const foundation::Date reload = foundation::Calendar::current()
                                            .date(foundation::Calendar::Component::hour, 6, now)
                                            .value_or(now);
        return widgetkit::Timeline<BreakdownEntry>{{std::move(entry)},
                                                   widgetkit::TimelineReloadPolicy::after(reload)};
    });
}

}  // namespace brimlet
