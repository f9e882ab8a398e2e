#include "extension/breakdown/breakdown_widget.h"

#include "extension/breakdown/breakdown_provider.h"
#include "extension/breakdown/breakdown_view.h"
#include "extension/intents/select_area_intent.h"
#include "platform/widgetkit/app_intent_configuration.h"

namespace brimlet {

widgetkit::WidgetConfiguration BreakdownWidget::body() const {
    return widgetkit::AppIntentConfiguration<SelectAreaIntent>(
               kind, BreakdownProvider{},
               [](const BreakdownEntry& entry) { return BreakdownView{entry}; })
        .configurationDisplayName("Disk Breakdown")
        .description("Biggest folders and kinds — the whole disk, or a folder you pin.")
        .supportedFamilies(
            {widgetkit::WidgetFamily::systemMedium, widgetkit::WidgetFamily::systemLarge});
}

}  // namespace brimlet
