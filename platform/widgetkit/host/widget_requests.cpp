#include "platform/widgetkit/host/widget_requests.h"

#include "platform/foundation/command.h"

namespace widgetkit::host {

const WidgetConfiguration* findWidget(const TupleWidget& widgets, std::string_view name) {
    for (const auto& w : widgets) {
        const std::string& kind = w.kind();
        const auto dot = kind.rfind('.');
        const std::string_view last = dot == std::string::npos
                                          ? std::string_view(kind)
                                          : std::string_view(kind).substr(dot + 1);
        if (kind == name || last == name) return &w;
    }
    return nullptr;
}

const WidgetConfiguration& widgetOf(const TupleWidget& widgets, const PlacedWidget& placed) {
    const WidgetConfiguration* widget = findWidget(widgets, placed.kind);
    if (widget == nullptr) {
        throw foundation::CommandError("placed widget " + placed.id +
                                       " is of a kind this bundle does not have (" + placed.kind +
                                       ")");
    }
    return *widget;
}

ResolvedRequest resolvePlaced(const TupleWidget& widgets, const PlacedWidget& placed,
                              bool preview) {
    const WidgetConfiguration& widget = widgetOf(widgets, placed);
    if (!widget.supports(placed.family)) {
        throw foundation::CommandError("placed widget " + placed.id +
                                       " is stored in a family that " + widget.displayName() +
                                       " does not support");
    }
    TimelineProviderContext context{preview, placed.family, displaySize(placed.family)};
    return ResolvedRequest{&widget, context, ParameterValue{placed.area, true}};
}

AnyTimeline answer(RequestKind kind, const ResolvedRequest& r) {
    const auto& ops = r.widget->operations();
    switch (kind) {
        case RequestKind::placeholder:
            return AnyTimeline{{ops.placeholder(r.context)}, TimelineReloadPolicy::never()};
        case RequestKind::snapshot:
            return AnyTimeline{{ops.snapshot(r.context, r.parameter)},
                               TimelineReloadPolicy::never()};
        case RequestKind::timeline: break;
    }
    return ops.timeline(r.context, r.parameter);
}

}  // namespace widgetkit::host
