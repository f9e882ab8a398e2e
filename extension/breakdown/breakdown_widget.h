#pragma once
// The breakdown widget's declaration.

#include <string>

#include "extension/shared/identifiers.h"
#include "platform/widgetkit/configuration.h"

namespace brimlet {

// "Disk Breakdown": configured through SelectAreaIntent, served by BreakdownProvider and drawn
// by BreakdownView, medium and large. The kind is built in: the bundle identifier followed by
// ".breakdown".
struct BreakdownWidget {
    std::string kind = std::string(kBundleIdentifier) + ".breakdown";

    widgetkit::WidgetConfiguration body() const;
};

}  // namespace brimlet
