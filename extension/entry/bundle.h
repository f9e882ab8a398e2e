#pragma once
// The extension's widget bundle: every widget it offers, in gallery order.

#include "extension/breakdown/breakdown_widget.h"
#include "extension/entry/fullness_widget.h"
#include "extension/shared/identifiers.h"
#include "platform/widgetkit/configuration.h"

namespace brimlet {

// The fullness widget, then the breakdown widget. Nothing is added or left out under any
// condition.
struct BrimletWidgetBundle {
    widgetkit::TupleWidget body() const {
        return widgetkit::makeTupleWidget(FullnessWidget{}, BreakdownWidget{});
    }
    // The group shared with the containing app, whose container holds the snapshot.
    std::string_view appGroup() const { return kAppGroupIdentifier; }
};

}  // namespace brimlet
