#pragma once
// Asking a widget's provider for an answer, without a command line or a display: the part of the
// host that both brimlet-widgets and the desk use.

#include <optional>
#include <string_view>

#include "platform/widgetkit/configuration.h"
#include "platform/widgetkit/host/placed_store.h"

namespace widgetkit::host {

enum class RequestKind { placeholder, snapshot, timeline };

// A request made concrete: the declaration, the context and the parameter value.
struct ResolvedRequest {
    const WidgetConfiguration* widget = nullptr;
    TimelineProviderContext context;
    ParameterValue parameter;
};

// The declaration whose kind is `name`, or whose kind's last component is `name`; nullptr when
// the bundle has none.
const WidgetConfiguration* findWidget(const TupleWidget& widgets, std::string_view name);

// The declaration of a placed widget's stored kind. Throws foundation::CommandError when the bundle
// has none.
const WidgetConfiguration& widgetOf(const TupleWidget& widgets, const PlacedWidget& placed);

// The request for a placed widget: its stored family, and its stored area rebuilt through the
// entity query on every request. Throws foundation::CommandError when the bundle has no widget of
// the stored kind or the widget does not support the stored family.
ResolvedRequest resolvePlaced(const TupleWidget& widgets, const PlacedWidget& placed,
                              bool preview = false);

// The provider's answer. A placeholder or snapshot is one entry with the policy `never`. Blocks
// for as long as the provider takes; the declaration must outlive the call.
AnyTimeline answer(RequestKind kind, const ResolvedRequest& request);

}  // namespace widgetkit::host
