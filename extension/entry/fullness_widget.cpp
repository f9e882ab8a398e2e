#include "extension/entry/fullness_widget.h"

#include "extension/fullness/fullness_views.h"
#include "extension/fullness/provider.h"

namespace brimlet {

widgetkit::WidgetConfiguration FullnessWidget::body() const {
    return widgetkit::StaticConfiguration(
               kind, Provider{},
               [](const DiskEntry& entry) { return BrimletWidgetEntryView{entry}; })
        .configurationDisplayName("Disk Space")
        .description("How full your disk is, at a glance.")
        .supportedFamilies(
            {widgetkit::WidgetFamily::systemSmall, widgetkit::WidgetFamily::systemMedium});
}

}  // namespace brimlet
