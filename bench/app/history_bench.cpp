// The history's costs: writing one record of 5,000 folders, comparing two such records, and the
// size of the database after a simulated year of daily scans of a home folder, thinned as it goes.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/cli/history_commands.h"
#include "app/history/growth.h"
#include "app/history/history.h"
#include "platform/foundation/testing.h"
#include "tests/support/scratch.h"

namespace {

using brimlet::FolderRecord;
using brimlet::History;
using brimlet::HistoryRecord;

constexpr double kDay = 86400.0;
constexpr double kStart = 800000000.0;

// A home folder's record on `day`: `count` folders (the root, 50 below it, the rest two levels
// down), sizes drifting a little from day to day, a few folders renamed every week.
HistoryRecord homeRecord(int day, std::size_t count) {
    HistoryRecord record;
    record.summary = {0,
                      "/home/ada",
                      foundation::Date{kStart + day * kDay},
                      400'000'000'000 + std::int64_t{day} * 1'000'000'000,
                      1'000'000'000'000,
                      1'200'000,
                      90'000};
    record.folders.push_back({"", 300'000'000'000, {}});
    for (std::size_t i = 1; i < count; ++i) {
        const std::size_t top = i % 50;
        std::string path = "folder " + std::to_string(top);
        if (i >= 50)
            path +=
                "/sub " + std::to_string(i / 50) + "-w" + std::to_string(i % 7 == 0 ? day / 7 : 0);
        FolderRecord folder{
            std::move(path), 400'000'000 + static_cast<std::int64_t>(i) * 4096 + day * 8192, {}};
        folder.kinds[static_cast<std::size_t>(i % brimlet::kFileKindCount)] = folder.size / 2;
        record.folders.push_back(std::move(folder));
    }
    return record;
}

std::int64_t fileSize(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

void BM_WriteRecord5000(benchmark::State& state) {
    const brimlet_test::ScratchDir dir;
    History history(dir / "history.sqlite3", History::Access::write);
    int day = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(history.add(homeRecord(day++ % 3, 5000)));
    }
}
BENCHMARK(BM_WriteRecord5000)->Unit(benchmark::kMillisecond);

// What a finished scan pays: open and check the file, add the record, thin, close.
void BM_RecordScan5000(benchmark::State& state) {
    const brimlet_test::ScratchDir dir;
    const foundation::testing::ScopedContainerRoot root(dir.path());
    const foundation::testing::ScopedClock clock(foundation::Date{kStart + 30 * kDay});
    int day = 0;
    for (auto _ : state) {
        if (!brimlet::recordScan(homeRecord(day++ % 3, 5000)).ok()) state.SkipWithError("not kept");
    }
}
BENCHMARK(BM_RecordScan5000)->Unit(benchmark::kMillisecond);

// Reading two records of 5,000 folders and comparing them.
void BM_Growth5000(benchmark::State& state) {
    const brimlet_test::ScratchDir dir;
    History history(dir / "history.sqlite3", History::Access::write);
    const auto before = history.add(homeRecord(0, 5000));
    const auto after = history.add(homeRecord(8, 5000));
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            brimlet::compareRecords(history.folders(before), history.folders(after), 10));
    }
}
BENCHMARK(BM_Growth5000)->Unit(benchmark::kMillisecond);

// `brimlet growth` as a whole, opening and checking the file, its output thrown away.
void BM_GrowthCommand5000(benchmark::State& state) {
    const brimlet_test::ScratchDir dir;
    const foundation::testing::ScopedContainerRoot root(dir.path());
    const foundation::testing::ScopedClock clock(foundation::Date{kStart + 9 * kDay});
    if (!brimlet::recordScan(homeRecord(0, 5000)).ok() ||
        !brimlet::recordScan(homeRecord(8, 5000)).ok()) {
        state.SkipWithError("not kept");
        return;
    }
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    for (auto _ : state) {
        if (brimlet::runGrowthCommand({}, {null, null}) != 0) state.SkipWithError("failed");
    }
    ::close(null);
}
BENCHMARK(BM_GrowthCommand5000)->Unit(benchmark::kMillisecond);

// A year of daily scans, each recorded and thinned at its own time: the file's size at the end
// (counter "bytes"), and the records kept.
void BM_YearOfDailyScans(benchmark::State& state) {
    const auto folders = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        const brimlet_test::ScratchDir dir;
        const std::string file = dir / "history.sqlite3";
        std::size_t kept = 0;
        {
            History history(file, History::Access::write);
            for (int day = 0; day < 365; ++day) {
                history.add(homeRecord(day, folders));
                history.thin(foundation::Date{kStart + day * kDay + 3600});
            }
            kept = history.records().size();
        }
        state.counters["bytes"] = static_cast<double>(fileSize(file));
        state.counters["records"] = static_cast<double>(kept);
    }
}
BENCHMARK(BM_YearOfDailyScans)->Arg(1000)->Arg(5000)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
