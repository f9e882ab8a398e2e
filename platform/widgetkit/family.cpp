#include "platform/widgetkit/family.h"

namespace widgetkit {

DisplaySize displaySize(WidgetFamily family) {
    switch (family) {
        case WidgetFamily::systemSmall: return {170, 170};
        case WidgetFamily::systemMedium: return {364, 170};
        case WidgetFamily::systemLarge: return {364, 382};
        case WidgetFamily::systemExtraLarge: return {766, 382};
        case WidgetFamily::accessoryCircular: return {76, 76};
        case WidgetFamily::accessoryRectangular: return {172, 76};
        case WidgetFamily::accessoryInline: return {257, 26};
    }
    return {170, 170};
}

std::string_view familyName(WidgetFamily family) {
    switch (family) {
        case WidgetFamily::systemSmall: return "small";
        case WidgetFamily::systemMedium: return "medium";
        case WidgetFamily::systemLarge: return "large";
        case WidgetFamily::systemExtraLarge: return "extraLarge";
        case WidgetFamily::accessoryCircular: return "accessoryCircular";
        case WidgetFamily::accessoryRectangular: return "accessoryRectangular";
        case WidgetFamily::accessoryInline: return "accessoryInline";
    }
    return "small";
}

std::optional<WidgetFamily> familyFromName(std::string_view name) {
    for (const auto family : kAllWidgetFamilies) {
        if (familyName(family) == name) return family;
    }
    return std::nullopt;
}

}  // namespace widgetkit
