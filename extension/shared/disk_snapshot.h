#pragma once
// The containing app's scan result, as stored in "snapshot.json" in the shared container.
//
// Plain values: every field is settable, nothing is validated beyond its JSON type (negative
// sizes, a usedFraction outside 0...1, duplicate or empty names are all kept as they are), and
// lists keep their file order. An absent `areas` and an empty one are distinct, and an empty
// `rootName` is present.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/date.h"
#include "platform/foundation/json_writer.h"

namespace brimlet {

struct DiskSnapshot {
    // One folder or kind of file with its size.
    struct Item {
        std::string name;   // folder name or kind label, as displayed
        std::int64_t size;  // bytes
    };

    // A folder the user can pin, with its own breakdown.
    struct Area {
        std::string name;  // display name and key; matched as Unicode text (canonical equivalence)
        std::int64_t total;  // bytes
        std::vector<Item> topFolders;
        std::vector<Item> topKinds;
    };

    foundation::Date generatedAt;  // when the containing app produced the snapshot
    std::string volumeName;        // title of the whole-scan content when rootName is absent
    double usedFraction;           // fraction of the volume in use, normally 0...1
    std::int64_t used;             // bytes in use
    std::int64_t free;             // bytes free
    std::int64_t total;            // capacity in bytes
    std::vector<Item> topFolders;  // biggest folders of the whole scan, in display order
    std::vector<Item> topKinds;    // biggest kinds of file of the whole scan, in display order
    std::optional<std::vector<Area>> areas;
    std::optional<std::string> rootName;  // name of the scanned root

    // Decodes a JSON document (UTF-8 bytes, one leading byte-order mark allowed). Any violation
    // anywhere fails the whole document: nullopt, never a partial snapshot. Members are matched by
    // exact name (the first of duplicates wins) and unknown ones are ignored, but must still be
    // well-formed: invalid UTF-8, a lone surrogate escape, an unescaped control character,
    // nesting deeper than 512 or bytes after the document fail it. Byte counts must be whole
    // numbers in the signed 64-bit range (1.0 and 1e3 count; 1.5 and 2^63 do not); instants and
    // fractions take any number; `areas` and `rootName` are absent when missing or null. Text is
    // kept whole, an escaped NUL included.
    static std::optional<DiskSnapshot> decode(std::string_view json);

    // Encodes this snapshot as one JSON object, members in field order, `areas` and `rootName`
    // only when present. nullopt when a value has no JSON form (a non-finite number, a string
    // that is not UTF-8). `indent` as foundation::JsonWriter takes it.
    std::optional<std::string> encode(int indent = 0) const;

    // Writes the same object as the next value of `json`, e.g. inside a larger document. A value
    // without a JSON form fails `json` (see foundation::JsonWriter).
    void encode(foundation::JsonWriter& json) const;

    // The fixed sample for placeholders and gallery previews. Built once, on first use, safely
    // under concurrent first use; never destroyed.
    static const DiskSnapshot& preview();
};

}  // namespace brimlet
