#pragma once
// Widget sizes (families) and the size of the tile each is drawn in.

#include <array>
#include <optional>
#include <string_view>

namespace widgetkit {

enum class WidgetFamily {
    systemSmall,
    systemMedium,
    systemLarge,
    systemExtraLarge,
    accessoryCircular,
    accessoryRectangular,
    accessoryInline,
};

inline constexpr std::array<WidgetFamily, 7> kAllWidgetFamilies{
    WidgetFamily::systemSmall,       WidgetFamily::systemMedium,
    WidgetFamily::systemLarge,       WidgetFamily::systemExtraLarge,
    WidgetFamily::accessoryCircular, WidgetFamily::accessoryRectangular,
    WidgetFamily::accessoryInline,
};

// A size in points.
struct DisplaySize {
    double width = 0;
    double height = 0;
};

// The tile a family is drawn in on the desktop, in points: small 170×170, medium 364×170,
// large 364×382, extra large 766×382; the accessory families are lock-screen sizes.
DisplaySize displaySize(WidgetFamily family);

// The name on the host's command line and in its JSON: "small", "medium", "large", "extraLarge",
// "accessoryCircular", "accessoryRectangular", "accessoryInline".
std::string_view familyName(WidgetFamily family);

// The inverse of familyName; nullopt for an unknown name.
std::optional<WidgetFamily> familyFromName(std::string_view name);

}  // namespace widgetkit
