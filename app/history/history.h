#pragma once
// The scans remembered: one SQLite database, `$XDG_DATA_HOME/brimlet/history.sqlite3`
// (~/.local/share when XDG_DATA_HOME is unset or relative), that every finished scan adds a
// record to.
//
// Layout (schema version 1 in PRAGMA user_version; migrations live in history.cpp):
//   paths(id, parent, name)   each folder path once: a scan root has parent 0 and its absolute
//                             path as name; every other path is a name inside its parent
//   records(id, root, time, used, total, files, folders)
//                             time in seconds since 2001-01-01T00:00:00 UTC
//   folders(record, path, size, media, images, documents, code, archives, binaries, other)
//
// The database runs in WAL mode, so a reader never waits for a writer, and writers queue on
// SQLite's lock for up to the busy timeout. Each record goes in in one transaction: after a crash
// it is there whole or not at all. A file that is not a database, fails `PRAGMA quick_check`,
// cannot be written, or stays locked beyond the busy timeout makes the call throw HistoryError;
// such a file is left exactly as it is.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/history/record.h"
#include "platform/foundation/date.h"
#include "platform/foundation/status.h"

namespace brimlet {

namespace sqlite {
class Database;
}

// A history that cannot be opened, read or written, with one line naming the file and the cause.
class HistoryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How long a statement waits for another connection's lock before giving up: a record takes
// well under a second to write, so five seconds covers two scans that finish together.
inline constexpr std::chrono::milliseconds kHistoryBusyTimeout{5000};
inline constexpr std::int64_t kHistorySchemaVersion = 1;

struct HistoryOptions {
    std::chrono::milliseconds busyTimeout = kHistoryBusyTimeout;
    // Test seam: runs inside a record's transaction, after its rows and before the commit.
    std::function<void()> beforeCommit;
};

// The history's file: `history.sqlite3` in `brimlet/` under the data home, which
// foundation::testing::ScopedContainerRoot moves for tests. nullopt when no data home is known.
std::optional<std::string> historyPath();

class History {
public:
    enum class Access {
        write,  // creates the file (and no folder) when missing, and brings the schema up to date
        read,   // the file must exist; an empty one reads as a history without records
    };

    // Opens `path` and checks it (quick_check; a schema version from 0 to kHistorySchemaVersion).
    // Throws HistoryError.
    History(const std::string& path, Access access, HistoryOptions options = {});
    ~History();
    History(const History&) = delete;
    History& operator=(const History&) = delete;

    // Adds `record` in one transaction; returns its id. Throws HistoryError.
    std::int64_t add(const HistoryRecord& record);

    // Removes the records that thinning lets go at `now` (see thinning.h), root by root, and the
    // paths no record needs any more, in one transaction. Returns how many records went.
    // Throws HistoryError.
    std::size_t thin(foundation::Date now);

    // The records, of `root` only when given, ordered by time as read, then by id. Throws
    // HistoryError.
    std::vector<RecordSummary> records(const std::optional<std::string>& root = std::nullopt);

    // The folders of record `id`, biggest first (empty for an unknown id). A folder twice in the
    // record, or a negative size, is damage. Throws HistoryError.
    std::vector<FolderRecord> folders(std::int64_t id);

private:
    void migrate(std::int64_t version);

    std::string path_;
    HistoryOptions options_;
    std::unique_ptr<sqlite::Database> database_;
    bool empty_ = false;  // opened for reading with no schema yet
};

// Adds the record of a finished scan to the history at historyPath() (creating its folder, mode
// 0700, and the file when missing) and thins it at Date::now(). Never throws: a failure comes
// back as one line ("this scan was not added to the history: ...").
foundation::Status recordScan(const HistoryRecord& record, const HistoryOptions& options = {});

}  // namespace brimlet
