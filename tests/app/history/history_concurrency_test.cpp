// Scans that finish together: every record is kept, whole, while growth reads on. Processes meet
// on SQLite's file lock; threads (each with its own connection) also meet under ThreadSanitizer.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
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

// Two seed records, so growth always has two to compare; then checks what the writers left.
void expectEveryRecordWhole(const HistoryHome& home, std::size_t seeds) {
    History history(home.file(), History::Access::read);
    const auto records = history.records();
    ASSERT_EQ(records.size(), seeds + 2 * kRecordsPerWriter);
    for (std::size_t i = seeds; i < records.size(); ++i) {
        EXPECT_EQ(history.folders(records[i].id).size(), 301u) << i;
    }
    sqlite::Database raw(home.file(), sqlite::Database::Mode::readWrite, kHistoryBusyTimeout);
    EXPECT_EQ(raw.queryText("PRAGMA integrity_check"), "ok");
}

TEST(HistoryConcurrency, TwoWriterProcessesAndAReader) {
    const HistoryHome home;
    const foundation::testing::ScopedClock clock(foundation::Date{kNow});
    ASSERT_TRUE(recordScan(recordOf("/home/ada", kNow - 2, {{"", 1}})).ok());
    ASSERT_TRUE(recordScan(recordOf("/home/ada", kNow - 1, {{"", 2}})).ok());
    std::vector<pid_t> writers;
    for (int writer = 0; writer < 2; ++writer) {
        const pid_t pid = ::fork();
        if (pid == 0) ::_exit(writeAll(writer) ? 0 : 1);
        writers.push_back(pid);
    }
    int reads = 0, failedReads = 0, running = 2;
    while (running > 0) {
        (readGrowth() ? reads : failedReads)++;
        for (pid_t& pid : writers) {
            int status = 0;
            if (pid > 0 && ::waitpid(pid, &status, WNOHANG) == pid) {
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
                pid = 0;
                --running;
            }
        }
    }
    EXPECT_GT(reads, 0);
    EXPECT_EQ(failedReads, 0);
    expectEveryRecordWhole(home, 2);
}

TEST(HistoryConcurrency, TwoWriterThreadsAndAReader) {
    const HistoryHome home;
    const FixedWorld world;
    ASSERT_TRUE(recordScan(recordOf("/home/ada", kNow - 2, {{"", 1}})).ok());
    ASSERT_TRUE(recordScan(recordOf("/home/ada", kNow - 1, {{"", 2}})).ok());
    std::atomic<int> writing{2};
    std::atomic<int> failedWrites{0}, failedReads{0};
    std::vector<std::thread> threads;
    for (int writer = 0; writer < 2; ++writer) {
        threads.emplace_back([writer, &writing, &failedWrites] {
            if (!writeAll(writer)) ++failedWrites;
            --writing;
        });
    }
    threads.emplace_back([&writing, &failedReads] {
        do {
            if (!readGrowth()) ++failedReads;
        } while (writing.load() > 0);
    });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(failedWrites.load(), 0);
    EXPECT_EQ(failedReads.load(), 0);
    expectEveryRecordWhole(home, 2);
}

}  // namespace
}  // namespace brimlet
