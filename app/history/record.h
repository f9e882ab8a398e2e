#pragma once
// One scan as the history keeps it: its root, time, volume figures and counts, and the size and
// bytes per kind of file of every folder that matters at the scale of the root.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/scan/kinds.h"
#include "app/scan/walk.h"
#include "platform/foundation/date.h"

namespace brimlet {

// A folder of a record is kept when it holds at least 1/kRecordFolderShare of the root's bytes
// (0.1 %), and of those only the kRecordFolderLimit biggest.
inline constexpr std::int64_t kRecordFolderShare = 1000;
inline constexpr std::size_t kRecordFolderLimit = 5000;

struct FolderRecord {
    // Relative to the record's root: raw path components joined by '/'; "" is the root itself.
    std::string path;
    std::int64_t size = 0;  // allocated bytes of the subtree
    // Bytes of files per kind, indexed by FileKind.
    std::array<std::int64_t, kFileKindCount> kinds{};
};

// What the history lists about a record without reading its folders.
struct RecordSummary {
    std::int64_t id = 0;     // assigned by the history when the record is added; 0 before
    std::string root;        // canonical absolute path of the scanned folder, raw bytes
    foundation::Date time;   // when the scan finished
    std::int64_t used = 0;   // bytes in use on the root's volume
    std::int64_t total = 0;  // capacity of the root's volume in bytes
    std::int64_t files = 0;
    std::int64_t folders = 0;
};

struct HistoryRecord {
    RecordSummary summary;
    std::vector<FolderRecord> folders;  // biggest first; a folder's parent before it on ties
};

// The record of a finished walk: the root and every folder below it with at least 0.1 % of the
// root's bytes, at most the `folderLimit` biggest (ties: shallower first, then by path, so a
// kept folder's parent is always kept). Folders the walk left out as caches count nowhere, as in
// the snapshot.
HistoryRecord buildRecord(const FolderTree& tree, std::int64_t used, std::int64_t total,
                          foundation::Date time, std::size_t folderLimit = kRecordFolderLimit);

}  // namespace brimlet
