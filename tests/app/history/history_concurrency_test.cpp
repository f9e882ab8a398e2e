// Scans that finish together: every record is kept, whole, while growth reads on. Processes meet
// on SQLite's file lock; threads (each with its own connection) also meet under ThreadSanitizer.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include "app/history/history.h"
#include "app/history/sqlite.h"
#include "tests/app/history/history_testing.h"
#include "tests/app/scan_testing.h"

namespace brimlet {
namespace {

using namespace brimlet_test;

constexpr int kRecordsPerWriter = 15;
constexpr double kNow = 700000000;

HistoryRecord recordNumber(int writer, int i) {
    std::vector<std::pair<std::string, std::int64_t>> folders = {{"", 1 << 30}};
    for (int f = 0; f < 300; ++f)
        folders.emplace_back("w" + std::to_string(writer) + "/" + std::to_string(f), i + f);
    return recordOf("/home/ada", kNow + i, folders);
}

// Writes this writer's records; true when each was kept.
bool writeAll(int writer) {
    for (int i = 0; i < kRecordsPerWriter; ++i) {
        if (!recordScan(recordNumber(writer, i)).ok()) return false;
    }
    return true;
}

// One growth read: exit status 0 and a table on standard output.
bool readGrowth() {
    const CapturedConsole console;
    return console.run({"growth", "--json"}) == 0 && console.out().starts_with("{");
}

// Two writers (started by `start`, which returns a function that waits for one to end and says
// whether all its records were kept) while this thread reads growth until both are done; two seed
// records give growth two to compare from the start. Every read and every record succeeds, and
// each record holds all its folders.
void writeWhileReading(const std::function<std::function<bool()>(int)>& start) {
    const HistoryHome home;
    const foundation::testing::ScopedClock clock(foundation::Date{kNow});
    ASSERT_TRUE(recordScan(recordOf("/home/ada", kNow - 2, {{"", 1}})).ok());
    ASSERT_TRUE(recordScan(recordOf("/home/ada", kNow - 1, {{"", 2}})).ok());
    std::atomic<int> writing{2};
    std::vector<std::function<bool()>> waits;
    waits.reserve(2);
    for (int writer = 0; writer < 2; ++writer) waits.push_back(start(writer));
    std::thread reaper([&] {
        for (auto& wait : waits) {
            EXPECT_TRUE(wait());
            --writing;
        }
    });
    int reads = 0, failedReads = 0;
    do {
        ++(readGrowth() ? reads : failedReads);
    } while (writing.load() > 0);
    reaper.join();
    EXPECT_GT(reads, 0);
    EXPECT_EQ(failedReads, 0);
    History history(home.file(), History::Access::read);
    const auto records = history.records();
    ASSERT_EQ(records.size(), 2u + 2 * kRecordsPerWriter);
    for (std::size_t i = 2; i < records.size(); ++i) {
        EXPECT_EQ(history.folders(records[i].id).size(), 301u) << i;
    }
    sqlite::Database raw(home.file(), sqlite::Database::Mode::readWrite, kHistoryBusyTimeout);
    EXPECT_EQ(raw.queryText("PRAGMA integrity_check"), "ok");
}

TEST(HistoryConcurrency, TwoWriterProcessesAndAReader) {
    writeWhileReading([](int writer) -> std::function<bool()> {
        const pid_t pid = ::fork();
        if (pid == 0) ::_exit(writeAll(writer) ? 0 : 1);
        return [pid] {
            int status = 0;
            return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
                   WEXITSTATUS(status) == 0;
        };
    });
}

TEST(HistoryConcurrency, TwoWriterThreadsAndAReader) {
    writeWhileReading([](int writer) -> std::function<bool()> {
        auto done = std::make_shared<std::future<bool>>(
            std::async(std::launch::async, [writer] { return writeAll(writer); }));
        return [done] { return done->get(); };
    });
}

}  // namespace
}  // namespace brimlet
