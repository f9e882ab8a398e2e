// libFuzzer over the history's readers: the input is a history database file left behind by
// someone else (corrupt, truncated, hostile or from a newer brimlet), read the way `brimlet
// history` and `brimlet growth` read it. Whatever the bytes, each call either answers or throws
// HistoryError; what is answered holds what the history promises (records by time then id, a
// record's folders biggest first under distinct paths, growth rows at most `top` and consistent
// with their sides), and reading leaves the file exactly as it was.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/history/estimate.h"
#include "app/history/growth.h"
#include "app/history/history.h"
#include "app/scan/scan.h"
#include "extension/shared/fill_estimate.h"
#include "extension/shared/human_bytes.h"
#include "platform/foundation/date.h"
#include "platform/foundation/escape.h"

// Aborts, naming the broken promise, unless `holds`.
#define CHECK(holds)                                                                       \
    do {                                                                                   \
        if (!(holds)) {                                                                    \
            std::fprintf(stderr, "%s:%d: %s does not hold\n", __FILE__, __LINE__, #holds); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (false)

namespace {

constexpr std::size_t kDefaultTop = 10;  // as `brimlet growth` lists without --top

// One file per fuzzing process in tmpfs; the side files SQLite may leave (journal, WAL and its
// shared memory) are removed before every input, so no input sees another's.
const std::string& databasePath() {
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        const std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                                 : dir != nullptr                ? dir
                                                                 : "/tmp";
        return base + "/brimlet-history-fuzz-" + std::to_string(::getpid()) + ".sqlite3";
    }();
    return path;
}

void removeFiles(const std::string& path) {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        if (std::remove((path + suffix).c_str()) != 0 && errno != ENOENT) std::abort();
    }
}

void writeFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) std::abort();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// `brimlet history` prints every record's time, figures and root.
void printRecords(const std::vector<brimlet::RecordSummary>& records) {
    for (std::size_t i = 0; i < records.size(); ++i) {
        const brimlet::RecordSummary& r = records[i];
        (void)foundation::iso8601(r.time);
        (void)brimlet::humanBytes(r.used);
        (void)brimlet::humanBytes(r.total);
        (void)brimlet::displayName(r.root);
        (void)foundation::escapeForTerminal(r.root);
        if (i == 0) continue;
        const brimlet::RecordSummary& p = records[i - 1];
        const double a = p.time.secondsSinceReferenceDate, b = r.time.secondsSinceReferenceDate;
        CHECK(a < b || (a == b && p.id <= r.id));
    }
}

std::vector<brimlet::FolderRecord> readFolders(brimlet::History& history, std::int64_t id) {
    std::vector<brimlet::FolderRecord> folders = history.folders(id);
    std::set<std::string_view> paths;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        CHECK(paths.insert(folders[i].path).second);
        CHECK(i == 0 || folders[i - 1].size >= folders[i].size);
    }
    return folders;
}

std::int64_t rootSize(const std::vector<brimlet::FolderRecord>& folders) {
    for (const auto& folder : folders) {
        if (folder.path.empty()) return folder.size;
    }
    return 0;
}

// The rows `brimlet growth --top N` lists: at most N, each a folder below the root that changed.
void checkRows(const std::vector<brimlet::FolderGrowth>& rows, std::size_t top) {
    CHECK(rows.size() <= top);
    for (const brimlet::FolderGrowth& row : rows) {
        CHECK(!row.path.empty() && (row.before || row.after) && row.change != 0);
        CHECK(row.change == row.after.value_or(0) - row.before.value_or(0));
        (void)brimlet::humanBytes(row.change);
    }
}

// `brimlet growth`: the latest root's records, the baseline (the record before the latest, and
// with `--since` an older one), both records' folders compared, and the estimate over the root's
// records.
void growth(brimlet::History& history) {
    const auto all = history.records();
    printRecords(all);
    if (all.empty()) return;
    const auto records = history.records(all.back().root);
    printRecords(records);
    // Not necessarily all of them: PRAGMA quick_check does not compare an index with its table,
    // and a lookup through a damaged index may miss rows.
    for (const auto& record : records) CHECK(record.root == all.back().root);
    if (records.empty()) return;
    const auto baseline = brimlet::baselineIndex(records, std::nullopt);
    if (!baseline) return;
    CHECK(*baseline == records.size() - 2);
    const auto since = brimlet::baselineIndex(records, records.front().time);
    CHECK(since && *since < records.size() - 1);
    const auto before = readFolders(history, records[*baseline].id);
    const auto after = readFolders(history, records.back().id);
    (void)brimlet::humanBytes(rootSize(after) - rootSize(before));
    checkRows(brimlet::compareRecords(before, after, kDefaultTop), kDefaultTop);
    checkRows(brimlet::compareRecords(before, after, 1), 1);
    std::vector<brimlet::UsedSample> samples;
    for (const auto& record : records) samples.push_back({record.time, record.used});
    const auto now = foundation::Date::now();
    if (const auto full = brimlet::estimateFull(samples, records.back().total, now)) {
        CHECK(full->fullAt >= now && full->bytesPerDay > 0);
        (void)brimlet::fillEstimateText(full->fullAt.secondsSinceReferenceDate -
                                        now.secondsSinceReferenceDate);
        (void)foundation::iso8601(full->fullAt);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = databasePath();
    removeFiles(path);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    writeFile(path, bytes);
    try {
        brimlet::History history(path, brimlet::History::Access::read);
        growth(history);
    } catch (const brimlet::HistoryError& error) {
        CHECK(std::string_view(error.what()).starts_with(path + ": "));
    }
    // Reading writes nothing: not a migration, not a rolled-back journal.
    CHECK(readFile(path) == bytes);
    removeFiles(path);
    return 0;
}
