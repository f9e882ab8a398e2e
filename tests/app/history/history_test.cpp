// The history's records: what goes in comes back, what a walk gives, and how records thin out.
#include "app/history/history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "app/history/record.h"
#include "app/history/sqlite.h"
#include "app/history/thinning.h"
#include "tests/app/history/history_testing.h"
#include "tests/app/scan_testing.h"

namespace brimlet {
namespace {

using namespace brimlet_test;

auto fields(const RecordSummary& r) {
    return std::tuple(r.id, r.root, r.time.secondsSinceReferenceDate, r.used, r.total, r.files,
                      r.folders);
}
auto fields(const FolderRecord& f) { return std::tuple(f.path, f.size, f.kinds); }

template <class T>
void expectSame(const std::vector<T>& a, const std::vector<T>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(fields(a[i]), fields(b[i])) << i;
}

// Names keep every byte (a newline, bytes that are not UTF-8, a name like a number); folders
// whose parents the record leaves out still come back under their full path; records of two
// roots that share folder names stay apart; a reopened history reads the same; the time keeps
// every bit of its double.
TEST(History, RecordsComeBackAsTheyWentIn) {
    const HistoryHome home;
    const std::vector<HistoryRecord> written = {
        recordOf("/home/ada", 700000000.123456789,
                 {{"", 9000},
                  {"a\nb", 5000},
                  {"a\nb/\xFF\xFE", 4000},
                  {"1", 3000},
                  {"deep/er/still", 100}},
                 123456789012, 987654321098),
        recordOf("/srv", 700000100.5, {{"", 50}, {"a\nb", 40}}),
        recordOf("/home/ada", 700000200, {{"", 9100}, {"1", 3100}}),
    };
    std::vector<RecordSummary> summaries;
    {
        History history(home.file(), History::Access::write);
        for (const HistoryRecord& record : written) {
            summaries.push_back(record.summary);
            summaries.back().id = history.add(record);
        }
    }
    History history(home.file(), History::Access::read);
    expectSame(history.records(), summaries);
    expectSame(history.records("/home/ada"), {summaries[0], summaries[2]});
    EXPECT_TRUE(history.records("/home").empty());
    for (std::size_t i = 0; i < written.size(); ++i) {
        SCOPED_TRACE(i);
        expectSame(history.folders(summaries[i].id), written[i].folders);
    }
    EXPECT_TRUE(history.folders(999).empty());
}

// Records come by time then id, and folders biggest first, as they read, whatever order SQL sees
// in the file: a number stored as a BLOB (another program's doing) sorts apart from every number
// in SQL yet reads as the number it spells. (The fuzzer's seeds hold the damaged cases: an index
// whose times differ from its table's, a table that yields a folder twice.) A negative size is
// damage, since growth's differences of two sizes could overflow, and so is a folder inside itself.
TEST(History, RecordsAndFoldersComeInOrderWhateverTheFileHolds) {
    const HistoryHome home;
    {
        History history(home.file(), History::Access::write);
        for (const double time : {300.0, 100.0, 200.0}) {
            history.add(recordOf("/a", time, {{"", 90}, {"b", 50}, {"c", 40}}));
        }
    }
    sqlite::Database(home.file(), sqlite::Database::Mode::readWrite, kHistoryBusyTimeout)
        .execute(
            "UPDATE records SET time = CAST('50' AS BLOB) WHERE id = 1;"
            "UPDATE folders SET size = CAST('45' AS BLOB) WHERE record = 1 AND size = 50");
    History history(home.file(), History::Access::read);
    std::vector<std::string> paths;
    for (const FolderRecord& folder : history.folders(1)) paths.push_back(folder.path);
    EXPECT_EQ(paths, (std::vector<std::string>{"", "b", "c"}));
    // The message reading `record`'s folders gives once `damage` has run on the file.
    const auto damaged = [&](const char* damage, std::int64_t record) {
        sqlite::Database(home.file(), sqlite::Database::Mode::readWrite, kHistoryBusyTimeout)
            .execute(damage);
        try {
            history.folders(record);
        } catch (const HistoryError& error) {
            return std::string(error.what());
        }
        return std::string("(read)");
    };
    EXPECT_EQ(damaged("UPDATE folders SET size = -9223372036854775807 WHERE record = 2", 2),
              home.file() + ": the database is damaged");
    // A folder inside itself would otherwise be composed without end.
    EXPECT_EQ(damaged("UPDATE paths SET parent = id WHERE name = CAST('c' AS BLOB)", 3),
              home.file() + ": the database is damaged (a folder inside itself)");
    for (const auto& root : {std::optional<std::string>(), std::optional<std::string>("/a")}) {
        std::vector<std::int64_t> ids;
        for (const RecordSummary& r : history.records(root)) ids.push_back(r.id);
        EXPECT_EQ(ids, (std::vector<std::int64_t>{1, 2, 3})) << root.value_or("every root");
    }
}

// A record holds the root and every folder with at least 0.1 % of its bytes, biggest first, at
// most the limit (5,000 in scans): a small folder stays out with everything inside it, and with
// chains of equal folders the cut falls in the deepest level, by path, so a kept folder's parent
// is always kept. Whether a folder's own blocks make a chain shrink with depth or (where folders
// take no blocks) tie, the order is the same.
TEST(History, RecordOfAWalkKeepsTheBiggestFolders) {
    TempTree t;
    t.build({{Entry::file, "c/a/a/x", 64 << 10},
             {Entry::file, "b/a/a/x", 64 << 10},
             {Entry::file, "a/a/a/x.cpp", 16 << 20},
             {Entry::folder, "tiny/inner"}});
    const FolderTree tree = walkTree(t.root());
    const HistoryRecord record = buildRecord(tree, 10, 20, foundation::Date{5});
    EXPECT_EQ(
        std::tuple(record.summary.root, record.summary.used, record.summary.total,
                   record.summary.files, record.summary.folders),
        std::tuple(t.root(), std::int64_t{10}, std::int64_t{20}, tree.files(), tree.folders()));
    const std::vector<std::string> biggest = {"",  "a",   "a/a", "a/a/a", "b",
                                              "c", "b/a", "c/a", "b/a/a", "c/a/a"};
    for (const std::size_t limit : {kRecordFolderLimit, std::size_t{8}}) {
        std::vector<std::string> paths;
        for (const FolderRecord& f : buildRecord(tree, 0, 0, {}, limit).folders) {
            paths.push_back(f.path);
        }
        EXPECT_EQ(paths, std::vector(biggest.begin(),
                                     biggest.begin() + static_cast<std::ptrdiff_t>(
                                                           std::min(limit, biggest.size()))));
    }
    const Folder* kept = tree.find("a/a/a");
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(fields(record.folders[3]), fields(FolderRecord{"a/a/a", kept->size, kept->kinds}));
}

// Thinning at `now` over records at the given ages (in days), all of one root: which survive.
TEST(Thinning, KeepsEveryRecentScanThenOnePerDayThenOnePerWeek) {
    // 2026-12-07 is a Monday; its midnight UTC.
    const double monday = foundation::Date::fromUnixSeconds(1796601600).secondsSinceReferenceDate;
    const double now = monday + 12 * 3600;
    struct Case {
        const char* what;
        std::vector<double> ages;  // days before `now`
        std::set<std::size_t> removed;
    } cases[] = {
        {"the last 14 days all stay", {0, 0.1, 0.2, 13.9}, {}},
        {"a clock that went back: the future stays", {-3, -2.9, 0}, {}},
        {"beyond 14 days only the day's last stays", {14.6, 14.55, 14.4, 13.99}, {0, 2}},
        {"days are UTC days", {20.1, 20.4, 20.6}, {1}},
        {"beyond 90 days only the week's last stays", {91, 92, 93, 95}, {2, 3}},
        {"weeks start on Monday", {91.1, 91.6}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<RecordTime> records;
        for (std::size_t i = 0; i < c.ages.size(); ++i) {
            records.push_back(
                {static_cast<std::int64_t>(i), foundation::Date{now - c.ages[i] * kDay}});
        }
        const auto removed = recordsToThin(records, foundation::Date{now});
        EXPECT_EQ(std::set<std::size_t>(removed.begin(), removed.end()), c.removed);
    }
}

// Thinning a history removes the records the rules name and the paths no record needs.
TEST(Thinning, AHistoryLosesTheThinnedRecordsAndTheirPaths) {
    const HistoryHome home;
    const double now =
        foundation::Date::fromUnixSeconds(1796601600).secondsSinceReferenceDate + 12 * 3600;
    History history(home.file(), History::Access::write);
    for (const double age : {20.4, 20.1, 1.0}) {
        history.add(recordOf("/r", now - age * kDay, {{"", 9}, {std::to_string(age), 1}}));
    }
    EXPECT_EQ(history.thin(foundation::Date{now}), 1u);
    std::vector<double> times;
    for (const RecordSummary& r : history.records())
        times.push_back(r.time.secondsSinceReferenceDate);
    EXPECT_EQ(times, (std::vector<double>{now - 20.1 * kDay, now - 1.0 * kDay}));
    sqlite::Database raw(home.file(), sqlite::Database::Mode::readWrite, kHistoryBusyTimeout);
    EXPECT_EQ(raw.queryInteger("SELECT count(*) FROM paths"), 3);
}

}  // namespace
}  // namespace brimlet
