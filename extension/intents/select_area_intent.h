#pragma once
// The configuration of one placed breakdown widget.

#include "extension/intents/area_entity.h"
#include "platform/appintents/intent_parameter.h"
#include "platform/appintents/localized_string_resource.h"
#include "platform/appintents/widget_configuration_intent.h"

namespace brimlet {

// Holds the area the widget shows. A new intent holds no entity; no entity and the whole-disk
// entity (empty id) both mean the whole disk. The host rebuilds the intent for every request and
// sets `area` from the stored identifier as AreaQuery::entities resolves it. perform() is the
// default: it never produces a result.
struct SelectAreaIntent : appintents::WidgetConfigurationIntentBase<SelectAreaIntent> {
    // "Disk Breakdown", the same text as the breakdown widget's display name. Built once, on
    // first use; never destroyed.
    static const appintents::LocalizedStringResource& title();

    // Titled "Folder (empty = whole disk)"; no description, no default, no dialogs.
    appintents::IntentParameter<AreaEntity> area{areaSettings()};

    // The one parameter the configuration panel shows.
    static constexpr auto configurableParameter = &SelectAreaIntent::area;

private:
    static appintents::IntentParameter<AreaEntity>::Settings areaSettings();
};

static_assert(appintents::WidgetConfigurationIntent<SelectAreaIntent>);

}  // namespace brimlet
