#include "extension/intents/select_area_intent.h"

#include <optional>

namespace brimlet {

const appintents::LocalizedStringResource& SelectAreaIntent::title() {
    static const auto* const text = new appintents::LocalizedStringResource("Disk Breakdown");
    return *text;
}

appintents::IntentParameter<AreaEntity>::Settings SelectAreaIntent::areaSettings() {
    return {
        .title = appintents::LocalizedStringResource("Folder (empty = whole disk)"),
        .description = std::nullopt,
        .defaultValue = std::nullopt,
        .requestValueDialog = std::nullopt,
        .requestDisambiguationDialog = std::nullopt,
        .inputConnectionBehavior = appintents::InputConnectionBehavior::standard,
    };
}

}  // namespace brimlet
