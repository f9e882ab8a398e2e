#include "extension/breakdown/breakdown_entry.h"

#include "platform/foundation/unicode.h"

namespace brimlet {

std::optional<BreakdownEntry::Resolved> BreakdownEntry::resolved() const {
    if (!snapshot) return std::nullopt;
    if (areaName && snapshot->areas) {
        for (const auto& area : *snapshot->areas) {
            if (foundation::canonicallyEquivalent(area.name, *areaName)) {
                return Resolved{area.name, area.topFolders, area.topKinds};
            }
        }
    }
    return Resolved{snapshot->rootName.value_or(snapshot->volumeName), snapshot->topFolders,
                    snapshot->topKinds};
}

void writeEntryJson(foundation::JsonWriter& json, const BreakdownEntry& entry) {
    json.beginObject();
    json.member("date", foundation::iso8601(entry.date));
    json.key("snapshot");
    if (entry.snapshot) {
        entry.snapshot->encode(json);
    } else {
        json.null();
    }
    if (entry.areaName) json.member("areaName", *entry.areaName);
    json.endObject();
}

}  // namespace brimlet
