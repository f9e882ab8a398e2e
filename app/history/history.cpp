#include "app/history/history.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <map>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "app/history/sqlite.h"
#include "app/history/thinning.h"
#include "platform/foundation/container.h"
#include "platform/foundation/file.h"
#include "platform/foundation/text.h"

namespace brimlet {
namespace {

// Migration i takes the schema from version i to i + 1 and sets user_version itself. Append
// only: a database already past a step never runs it again.
constexpr std::array<std::string_view, kHistorySchemaVersion> kMigrations = {
    R"sql(
CREATE TABLE paths(
  id INTEGER PRIMARY KEY,
  parent INTEGER NOT NULL,
  name BLOB NOT NULL,
  UNIQUE(parent, name));
CREATE TABLE records(
  id INTEGER PRIMARY KEY,
  root INTEGER NOT NULL,
  time REAL NOT NULL,
  used INTEGER NOT NULL,
  total INTEGER NOT NULL,
  files INTEGER NOT NULL,
  folders INTEGER NOT NULL);
CREATE INDEX records_by_root ON records(root, time);
CREATE TABLE folders(
  record INTEGER NOT NULL,
  path INTEGER NOT NULL,
  size INTEGER NOT NULL,
  media INTEGER NOT NULL, images INTEGER NOT NULL, documents INTEGER NOT NULL,
  code INTEGER NOT NULL, archives INTEGER NOT NULL, binaries INTEGER NOT NULL,
  other INTEGER NOT NULL,
  PRIMARY KEY(record, path)) WITHOUT ROWID;
PRAGMA user_version = 1;
)sql",
};

// Paths that neither a record nor a folder row needs, nor any path below them.
constexpr std::string_view kPrunePaths = R"sql(
WITH RECURSIVE live(id) AS (
  SELECT path FROM folders UNION SELECT root FROM records
  UNION SELECT paths.parent FROM paths JOIN live ON paths.id = live.id WHERE paths.parent <> 0)
DELETE FROM paths WHERE id NOT IN (SELECT id FROM live))sql";

constexpr std::string_view kRecordColumns =
    "SELECT records.id, paths.name, time, used, total, files, folders FROM records "
    "JOIN paths ON paths.id = records.root ";

std::string describe(const sqlite::SqliteError& error) {
    switch (error.code()) {
        case SQLITE_NOTADB: return "not a history database";
        case SQLITE_CORRUPT: return "the database is damaged";
        case SQLITE_BUSY:
        case SQLITE_LOCKED: return "another program holds the database locked";
        case SQLITE_READONLY: return "the database is read-only";
        default: return error.what();
    }
}

std::string parentOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A folder's size, which no history brimlet writes below 0: one that is comes from damage, and
// would overflow the differences growth takes. Throws SqliteError (SQLITE_CORRUPT).
std::int64_t readSize(const sqlite::Statement& row, int column) {
    const std::int64_t value = row.columnInteger(column);
    if (value < 0) throw sqlite::SqliteError("a negative size", SQLITE_CORRUPT);
    return value;
}

RecordSummary readSummary(const sqlite::Statement& row) {
    RecordSummary summary;
    summary.id = row.columnInteger(0);
    summary.root = row.columnBytes(1);
    summary.time = foundation::Date{row.columnDouble(2)};
    summary.used = row.columnInteger(3);
    summary.total = row.columnInteger(4);
    summary.files = row.columnInteger(5);
    summary.folders = row.columnInteger(6);
    return summary;
}

// Path ids of one record's folders, looked up or added once each.
class PathResolver {
public:
    PathResolver(sqlite::Database& database, std::int64_t root)
        : find_(database, "SELECT id FROM paths WHERE parent = ? AND name = ?"),
          insert_(database, "INSERT INTO paths(parent, name) VALUES(?, ?)"),
          database_(database) {
        ids_.emplace(std::string(), root);
    }

    // The id of `path` (relative to the root), adding it and its missing parents.
    std::int64_t id(const std::string& path) {
        if (const auto found = ids_.find(path); found != ids_.end()) return found->second;
        const std::int64_t parent = id(parentOf(path));
        const std::int64_t own = lookUp(parent, nameOf(path));
        ids_.emplace(path, own);
        return own;
    }

    std::int64_t lookUp(std::int64_t parent, const std::string& name) {
        find_.reset();
        find_.bind(1, parent).bindBytes(2, name);
        if (find_.step()) return find_.columnInteger(0);
        insert_.bind(1, parent).bindBytes(2, name).run();
        return database_.lastInsertId();
    }

private:
    sqlite::Statement find_;
    sqlite::Statement insert_;
    sqlite::Database& database_;
    std::unordered_map<std::string, std::int64_t> ids_;
};

}  // namespace

std::optional<std::string> historyPath() {
    auto folder = foundation::groupContainerPath("brimlet");
    if (!folder) return std::nullopt;
    return *folder + "history.sqlite3";
}

History::History(const std::string& path, Access access, HistoryOptions options)
    : path_(path), options_(std::move(options)) {
    try {
        database_ = std::make_unique<sqlite::Database>(path,
                                                       access == Access::write
                                                           ? sqlite::Database::Mode::readWriteCreate
                                                           : sqlite::Database::Mode::readWrite,
                                                       options_.busyTimeout);
        // The first statement that reads the file: a file that is not a database fails here.
        const std::string check = database_->queryText("PRAGMA quick_check");
        if (check != "ok") {
            throw HistoryError(path + ": the database is damaged (PRAGMA quick_check fails)");
        }
        const std::int64_t version = database_->queryInteger("PRAGMA user_version");
        if (version < 0 || version > kHistorySchemaVersion) {
            // No brimlet writes a version below 0: such a file is some other program's.
            std::string message =
                path + (version < 0 ? ": not a history database (schema version "
                                    : ": written by a newer brimlet (schema version ");
            foundation::appendInteger(message, version);
            throw HistoryError(message + ")");
        }
        if (access == Access::write && database_->readOnly()) {
            throw HistoryError(path + ": the database is read-only");
        }
        if (version == 0 && access == Access::read) {
            empty_ = true;
            return;
        }
        if (access == Access::write) database_->queryText("PRAGMA journal_mode = WAL");
        database_->execute("PRAGMA synchronous = NORMAL");
        if (version < kHistorySchemaVersion) migrate(version);
    } catch (const sqlite::SqliteError& error) {
        throw HistoryError(path + ": " + describe(error));
    }
}

History::~History() = default;

void History::migrate(std::int64_t version) {
    sqlite::Transaction transaction(*database_);
    // Another writer may have migrated while this one waited for the lock.
    version = database_->queryInteger("PRAGMA user_version");
    for (auto step = version; step < kHistorySchemaVersion; ++step) {
        database_->execute(kMigrations[static_cast<std::size_t>(step)]);
    }
    transaction.commit();
}

std::int64_t History::add(const HistoryRecord& record) {
    if (empty_) throw HistoryError(path_ + ": opened for reading");
    try {
        sqlite::Transaction transaction(*database_);
        PathResolver paths(*database_, 0);
        const std::int64_t root = paths.lookUp(0, record.summary.root);
        PathResolver resolver(*database_, root);
        const RecordSummary& summary = record.summary;
        sqlite::Statement insertRecord(*database_,
                                       "INSERT INTO records(root, time, used, total, files, "
                                       "folders) VALUES(?, ?, ?, ?, ?, ?)");
        insertRecord.bind(1, root)
            .bind(2, summary.time.secondsSinceReferenceDate)
            .bind(3, summary.used)
            .bind(4, summary.total)
            .bind(5, summary.files)
            .bind(6, summary.folders)
            .run();
        const std::int64_t id = database_->lastInsertId();
        sqlite::Statement insertFolder(*database_,
                                       "INSERT OR REPLACE INTO folders VALUES(?, ?, ?, ?, ?, ?, ?, "
                                       "?, ?, ?)");
        for (const FolderRecord& folder : record.folders) {
            insertFolder.bind(1, id).bind(2, resolver.id(folder.path)).bind(3, folder.size);
            for (std::size_t kind = 0; kind < kFileKindCount; ++kind) {
                insertFolder.bind(static_cast<int>(4 + kind), folder.kinds[kind]);
            }
            insertFolder.run();
        }
        if (options_.beforeCommit) options_.beforeCommit();
        transaction.commit();
        return id;
    } catch (const sqlite::SqliteError& error) {
        throw HistoryError(path_ + ": " + describe(error));
    }
}

std::size_t History::thin(foundation::Date now) {
    if (empty_) return 0;
    try {
        sqlite::Transaction transaction(*database_);
        std::map<std::int64_t, std::vector<RecordTime>> byRoot;
        sqlite::Statement all(*database_, "SELECT id, root, time FROM records");
        while (all.step()) {
            byRoot[all.columnInteger(1)].push_back(
                {all.columnInteger(0), foundation::Date{all.columnDouble(2)}});
        }
        sqlite::Statement dropFolders(*database_, "DELETE FROM folders WHERE record = ?");
        sqlite::Statement dropRecord(*database_, "DELETE FROM records WHERE id = ?");
        std::size_t removed = 0;
        for (auto& [root, times] : byRoot) {
            for (const std::int64_t id : recordsToThin(std::move(times), now)) {
                dropFolders.bind(1, id).run();
                dropRecord.bind(1, id).run();
                ++removed;
            }
        }
        if (removed > 0) database_->execute(kPrunePaths);
        transaction.commit();
        return removed;
    } catch (const sqlite::SqliteError& error) {
        throw HistoryError(path_ + ": " + describe(error));
    }
}

std::vector<RecordSummary> History::records(const std::optional<std::string>& root) {
    std::vector<RecordSummary> found;
    if (empty_) return found;
    try {
        const std::string order = " ORDER BY time, records.id";
        sqlite::Statement query(
            *database_, std::string(kRecordColumns) +
                            (root ? "WHERE paths.parent = 0 AND paths.name = ?" : "") + order);
        if (root) query.bindBytes(1, *root);
        while (query.step()) {
            // A damaged index (which PRAGMA quick_check does not compare with its table) can
            // answer a lookup with another root's rows.
            if (RecordSummary summary = readSummary(query); !root || summary.root == *root) {
                found.push_back(std::move(summary));
            }
        }
        // SQL's order is not quite the one promised: a time another program stored as text or a
        // BLOB sorts after every number yet reads as one, and a damaged index orders by its own
        // copy of the times. Sorting what was read keeps the promise for any file.
        std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
            return std::pair(a.time.secondsSinceReferenceDate, a.id) <
                   std::pair(b.time.secondsSinceReferenceDate, b.id);
        });
        return found;
    } catch (const sqlite::SqliteError& error) {
        throw HistoryError(path_ + ": " + describe(error));
    }
}

std::vector<FolderRecord> History::folders(std::int64_t id) {
    std::vector<FolderRecord> found;
    if (empty_) return found;
    try {
        std::unordered_map<std::int64_t, std::pair<std::int64_t, std::string>> paths;
        sqlite::Statement allPaths(*database_, "SELECT id, parent, name FROM paths");
        while (allPaths.step()) {
            paths.emplace(allPaths.columnInteger(0),
                          std::pair(allPaths.columnInteger(1), allPaths.columnBytes(2)));
        }
        std::unordered_map<std::int64_t, std::string> relative;
        sqlite::Statement rootOf(*database_, "SELECT root FROM records WHERE id = ?");
        rootOf.bind(1, id);
        if (!rootOf.step()) return found;
        relative.emplace(rootOf.columnInteger(0), std::string());
        // Relative path of a path id, composed from its parents up to the record's root. A chain
        // longer than the paths there are loops, which only damage makes.
        const auto compose = [&](std::int64_t pathId) -> const std::string& {
            std::vector<std::int64_t> chain;  // pathId and its parents below the first known one
            auto known = relative.find(pathId);
            for (; known == relative.end(); known = relative.find(pathId)) {
                if (chain.size() > paths.size()) {
                    throw HistoryError(path_ +
                                       ": the database is damaged (a folder inside itself)");
                }
                chain.push_back(pathId);
                pathId = paths.at(pathId).first;
            }
            const std::string* above = &known->second;  // nodes of `relative` stay put
            for (auto link = chain.rbegin(); link != chain.rend(); ++link) {
                const std::string& name = paths.at(*link).second;
                above = &relative.emplace(*link, above->empty() ? name : *above + '/' + name)
                             .first->second;
            }
            return *above;
        };
        sqlite::Statement rows(*database_,
                               "SELECT path, size, media, images, documents, code, archives, "
                               "binaries, other FROM folders WHERE record = ? ORDER BY size DESC");
        rows.bind(1, id);
        std::unordered_set<std::string_view> seen;  // views of `relative`'s nodes, which stay put
        while (rows.step()) {
            FolderRecord folder;
            const std::string& path = compose(rows.columnInteger(0));
            // The primary key forbids it; a table whose order is damaged (which PRAGMA
            // quick_check does not look for) can yield a row twice.
            if (!seen.insert(path).second) {
                throw HistoryError(path_ +
                                   ": the database is damaged (a folder twice in a record)");
            }
            folder.path = path;
            folder.size = readSize(rows, 1);
            for (std::size_t kind = 0; kind < kFileKindCount; ++kind) {
                folder.kinds[kind] = rows.columnInteger(static_cast<int>(2 + kind));
            }
            found.push_back(std::move(folder));
        }
        // As with records' times, a size stored as text or a BLOB sorts apart from every number.
        std::stable_sort(found.begin(), found.end(),
                         [](const auto& a, const auto& b) { return a.size > b.size; });
        return found;
    } catch (const sqlite::SqliteError& error) {
        throw HistoryError(path_ + ": " + describe(error));
    } catch (const std::out_of_range&) {
        throw HistoryError(path_ + ": the database is damaged (a folder without its path)");
    }
}

foundation::Status recordScan(const HistoryRecord& record, const HistoryOptions& options) {
    const std::string lead = "this scan was not added to the history: ";
    const auto path = historyPath();
    if (!path) return foundation::Status::failure(lead + "no home folder to keep it in");
    if (const auto made = foundation::createDirectories(parentOf(*path), 0700); !made) {
        return foundation::Status::failure(lead + made.message());
    }
    try {
        History history(*path, History::Access::write, options);
        history.add(record);
        history.thin(foundation::Date::now());
        return {};
    } catch (const HistoryError& error) {
        return foundation::Status::failure(lead + error.what());
    } catch (const std::exception& error) {
        return foundation::Status::failure(lead + *path + ": " + error.what());
    }
}

}  // namespace brimlet
