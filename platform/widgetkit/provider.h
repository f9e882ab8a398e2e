#pragma once
// The shapes of the providers the host asks for content.

#include <concepts>
#include <functional>
#include <future>

#include "platform/widgetkit/family.h"
#include "platform/widgetkit/timeline.h"

namespace widgetkit {

// What the host tells a provider about one request.
struct TimelineProviderContext {
    // True while the host draws the widget gallery: show sample content, fast.
    bool isPreview = false;
    WidgetFamily family = WidgetFamily::systemSmall;
    // The tile's size in points.
    DisplaySize displaySize = widgetkit::displaySize(WidgetFamily::systemSmall);
};

// A provider for a widget that the user does not configure. Each operation delivers exactly
// once: placeholder(in:) returns its entry at once, without input or output; getSnapshot and
// getTimeline call their completion exactly once before they return, on the calling thread.
// Relevance is left to the host's default (none).
template <class P>
concept TimelineProvider = TimelineEntry<typename P::Entry> &&
    requires(const P& p, const TimelineProviderContext& context,
             std::function<void(typename P::Entry)> entryCompletion,
             std::function<void(Timeline<typename P::Entry>)> timelineCompletion) {
    { p.placeholder(context) } -> std::same_as<typename P::Entry>;
    { p.getSnapshot(context, entryCompletion) } -> std::same_as<void>;
    { p.getTimeline(context, timelineCompletion) } -> std::same_as<void>;
};

// A provider for a widget configured through an intent. snapshot and timeline are asynchronous:
// they run on foundation::sharedExecutor() and deliver through the future exactly once.
// Relevance and recommendations are left to the host's defaults (none).
template <class P>
concept AppIntentTimelineProvider = TimelineEntry<typename P::Entry> &&
    requires(const P& p, const typename P::Intent& intent, const TimelineProviderContext& context) {
    { p.placeholder(context) } -> std::same_as<typename P::Entry>;
    { p.snapshot(intent, context) } -> std::same_as<std::future<typename P::Entry>>;
    { p.timeline(intent, context) } -> std::same_as<std::future<Timeline<typename P::Entry>>>;
};

}  // namespace widgetkit
