#pragma once
// A widget declaration whose timeline a test scripts, and entries that say when they start.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/date.h"
#include "platform/widgetkit/configuration.h"
#include "platform/widgetkit/host/placed_store.h"

namespace widgetkit::host::testing {

inline constexpr const char* kFakeKind = "org.example.fake";

inline foundation::Date at(double seconds) { return foundation::Date{seconds}; }
inline std::optional<double> secondsOf(std::optional<foundation::Date> date) {
    return date ? std::optional(date->secondsSinceReferenceDate) : std::nullopt;
}

// An entry from `seconds`.
inline AnyEntry entryAt(double seconds) { return AnyEntry{at(seconds), {}, {}}; }

inline AnyTimeline timelineOf(std::vector<AnyEntry> entries, TimelineReloadPolicy policy) {
    return AnyTimeline{std::move(entries), policy};
}

// The provider's side: what the next timeline request answers, and how many were made.
struct Script {
    std::mutex mutex;
    std::function<AnyTimeline(const ParameterValue&)> next = [](const ParameterValue&) {
        return timelineOf({entryAt(0)}, TimelineReloadPolicy::never());
    };
    std::atomic<int> timelineCalls{0};
};

inline WidgetConfiguration fakeWidget(std::shared_ptr<Script> script) {
    WidgetConfiguration::Operations ops;
    ops.placeholder = [](const TimelineProviderContext&) { return entryAt(-1); };
    ops.snapshot = [](const TimelineProviderContext&, const ParameterValue&) {
        return entryAt(-1);
    };
    ops.timeline = [script](const TimelineProviderContext&, const ParameterValue& parameter) {
        script->timelineCalls += 1;
        std::unique_lock lock(script->mutex);
        const auto next = script->next;
        lock.unlock();
        return next(parameter);
    };
    return WidgetConfiguration(kFakeKind, std::move(ops))
        .configurationDisplayName("Fake")
        .supportedFamilies({WidgetFamily::systemSmall, WidgetFamily::systemMedium});
}

inline PlacedWidget placedFake(std::string id, std::optional<std::string> area = std::nullopt) {
    return PlacedWidget{std::move(id), kFakeKind, WidgetFamily::systemSmall, std::move(area)};
}

}  // namespace widgetkit::host::testing
