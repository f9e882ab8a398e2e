#pragma once
// The fullness widget's declaration.

#include <string>

#include "extension/shared/identifiers.h"
#include "platform/widgetkit/configuration.h"

namespace brimlet {

// "Disk Space": a static configuration over Provider and BrimletWidgetEntryView, small and
// medium. The kind is built in: the bundle identifier followed by ".fullness".
struct FullnessWidget {
    std::string kind = std::string(kBundleIdentifier) + ".fullness";

    widgetkit::WidgetConfiguration body() const;
};

}  // namespace brimlet
