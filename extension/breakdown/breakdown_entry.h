#pragma once
// The breakdown widget's entry, and what it resolves to on screen.

#include <optional>
#include <string>
#include <vector>

#include "extension/shared/disk_snapshot.h"
#include "platform/foundation/date.h"
#include "platform/foundation/json_writer.h"

namespace brimlet {

// One moment of the breakdown widget: the raw inputs only. The provider never resolves; the
// view resolves each time it renders.
struct BreakdownEntry {
    // The content to show: a heading and the two lists exactly as stored (same order and length;
    // the view shows at most five of each).
    struct Resolved {
        std::string title;
        std::vector<DiskSnapshot::Item> folders;
        std::vector<DiskSnapshot::Item> kinds;
    };

    foundation::Date date;
    // Absent when no snapshot could be read.
    std::optional<DiskSnapshot> snapshot;
    // The configured area's identifier (AreaEntity::id); absent when the configuration holds no
    // entity. "" is the whole-disk choice and counts as present.
    std::optional<std::string> areaName;

    // Absent without a snapshot. Otherwise the first area whose name equals `areaName` as
    // Unicode text (canonically equivalent spellings match; case counts; nothing is trimmed),
    // or else the whole disk titled with the root name, or the volume name when the root name
    // is absent. Recomputed on every call; no cache.
    std::optional<Resolved> resolved() const;
};

// The host's JSON form: {"date", "snapshot": <the snapshot in its file format> or null,
// "areaName"}, with areaName left out when absent.
void writeEntryJson(foundation::JsonWriter& json, const BreakdownEntry& entry);

}  // namespace brimlet
