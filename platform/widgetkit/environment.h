#pragma once
// Environment values the host sets for the views it renders.

#include "platform/ui/environment.h"
#include "platform/widgetkit/family.h"

namespace widgetkit {

// The family being rendered; views choose their layout by it with
// ui::readEnvironment<widgetkit::WidgetFamilyKey>().
struct WidgetFamilyKey {
    using Value = WidgetFamily;
    static Value defaultValue() { return WidgetFamily::systemSmall; }
};

}  // namespace widgetkit
