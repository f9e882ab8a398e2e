#pragma once
// The scans remembered, as the window reads them: the latest record of a folder opened as a tree
// to explore at once, the earlier record a comparison picks, and the texts of a folder's change.
// Display-free.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/history/growth.h"
#include "app/history/record.h"
#include "app/scan/walk.h"
#include "platform/foundation/date.h"

namespace brimlet {

// How long the window waits for another connection's lock on the history: a held lock must not
// freeze it, and a reader in WAL mode rarely meets one at all.
inline constexpr std::chrono::milliseconds kRecallBusyTimeout{250};

// `record` as a finished walk: the root at the record's root path and every recorded folder
// under its parent, with its recorded size and bytes per kind. A folder whose parent the record
// lacks (damage) is left out. What the record does not hold is not invented: each folder's
// bytes beyond its recorded folders show as its files row (files directly inside and the folders
// too small to be recorded, together), and the item counts are not meaningful.
std::shared_ptr<const FolderTree> treeFromRecord(const HistoryRecord& record);

struct Recalled {
    std::vector<RecordSummary> records;      // of the root, ordered by time; the last is opened
    std::shared_ptr<const FolderTree> tree;  // the last record's folders (treeFromRecord)
};

// The records of `root` (canonical absolute path) in the history at `path`, and its latest
// record as a tree. nullopt when there is no file at `path` or it holds no record of `root`.
// Throws HistoryError when the history cannot be read.
std::optional<Recalled> recallLatest(const std::string& path, const std::string& root);

// The records of `root` in the history at `path`, ordered by time; empty when there is no file.
// Throws HistoryError.
std::vector<RecordSummary> recordsOf(const std::string& path, const std::string& root);

// The folders of record `id`. Throws HistoryError.
std::vector<FolderRecord> foldersOf(const std::string& path, std::int64_t id);

// The choices of the window's comparison menu.
enum class CompareWith { none, dayAgo, weekAgo, monthAgo };

// The index in `records` (one root, ordered by time) of the record the latest one is compared
// with for `choice` at `now`: the last record at or before one day, seven days or thirty days
// before `now`, the earliest when none is that old (baselineIndex). nullopt for `none` or with
// fewer than two records.
std::optional<std::size_t> comparisonIndex(const std::vector<RecordSummary>& records,
                                           CompareWith choice, foundation::Date now);

// A folder's change as the list writes it: "+3.2 GB", "−120.0 MB" (U+2212), "New" for a folder
// the earlier record does not hold, "No change"; "" for none (a folder not compared).
std::string changeText(const FolderGrowth* change);

}  // namespace brimlet
