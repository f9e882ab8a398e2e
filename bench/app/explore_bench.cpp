// The window's model on its heaviest inputs: the treemap of 10,000 and 100,000 blocks (sizes
// spread over six orders of magnitude, in a 1200 × 800 area), and the explorer going into a
// folder of 100,000 folders (rows built and sorted, by size and by name); and the window's start
// on the history: the last of two records of 5,000 folders opened as a tree and compared with the
// other.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "app/explore/explorer.h"
#include "app/explore/recall.h"
#include "app/explore/treemap.h"
#include "app/history/history.h"
#include "app/scan/testing.h"
#include "tests/support/scratch.h"

namespace {

std::vector<std::int64_t> spreadSizes(std::size_t count) {
    std::mt19937_64 random(42);
    std::vector<std::int64_t> sizes(count);
    for (auto& s : sizes)
        s = 1 + static_cast<std::int64_t>(random() % (std::uint64_t{1} << (random() % 40)));
    return sizes;
}

void BM_Squarify(benchmark::State& state) {
    const auto sizes = spreadSizes(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        auto blocks = brimlet::squarify(sizes, {0, 0, 1200, 800});
        benchmark::DoNotOptimize(blocks.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Squarify)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// /big holds 100,000 folders named "folder-N", each with one file, of spread sizes or all of one
// size (then ordered by name alone, as empty folders are).
std::shared_ptr<const brimlet::FolderTree> wideTree(bool oneSize) {
    brimlet::testing::FolderTreeBuilder b("/big");
    brimlet::Folder& big = b.add(b.root(), "wide", 4096);
    const auto sizes = oneSize ? std::vector<std::int64_t>(100000, 4096) : spreadSizes(100000);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        brimlet::Folder& f = b.add(big, "folder-" + std::to_string(i), 4096);
        b.addFiles(f, 1, sizes[i], brimlet::FileKind::other);
    }
    return std::make_shared<const brimlet::FolderTree>(b.finish());
}

// One enter (rows of the 100,000 folders, sorted) and one leave (one row) per iteration.
// Arguments: the ExplorerSort, then 1 for folders all of one size.
void BM_ExplorerEnterWideFolder(benchmark::State& state) {
    brimlet::Explorer explorer(wideTree(state.range(1) != 0));
    explorer.sort(static_cast<brimlet::ExplorerSort>(state.range(0)));
    const brimlet::Folder& wide = *explorer.tree().root().children.front();
    for (auto _ : state) {
        explorer.enter(wide);
        benchmark::DoNotOptimize(explorer.rows().data());
        explorer.leave();
    }
}
BENCHMARK(BM_ExplorerEnterWideFolder)
    ->Args({static_cast<int>(brimlet::ExplorerSort::sizeDescending), 0})
    ->Args({static_cast<int>(brimlet::ExplorerSort::nameAscending), 0})
    ->Args({static_cast<int>(brimlet::ExplorerSort::sizeDescending), 1})
    ->Unit(benchmark::kMillisecond);

// A home's record on `day`: the root, 50 folders below it, the rest one level further down.
brimlet::HistoryRecord homeRecord(int day, std::size_t count) {
    brimlet::HistoryRecord record;
    record.summary = {0,
                      "/home/ada",
                      foundation::Date{800'000'000.0 + day * 86400.0},
                      400'000'000'000,
                      1'000'000'000'000,
                      1'200'000,
                      90'000};
    record.folders.push_back({"", 300'000'000'000, {}});
    for (std::size_t i = 1; i < count; ++i) {
        std::string path = "folder " + std::to_string(i % 50);
        if (i >= 50) path += "/sub " + std::to_string(i);
        const auto size = (i < 50 ? 4'000'000'000 : 400'000'000) + std::int64_t{day} * 8192;
        record.folders.push_back({std::move(path), size, {}});
    }
    return record;
}

// What the window does at start on a history: read the last record of the home folder into a
// tree, pick the record of a week ago and compare every folder with it.
void BM_OpenOnLastRecord5000(benchmark::State& state) {
    const brimlet_test::ScratchDir dir;
    const std::string path = dir / "history.sqlite3";
    {
        brimlet::History history(path, brimlet::History::Access::write);
        history.add(homeRecord(0, 5000));
        history.add(homeRecord(8, 5000));
    }
    const foundation::Date now{800'000'000.0 + 9 * 86400.0};
    for (auto _ : state) {
        auto recalled = brimlet::recallLatest(path, "/home/ada");
        brimlet::Explorer explorer(recalled->tree);
        const auto index =
            brimlet::comparisonIndex(recalled->records, brimlet::CompareWith::weekAgo, now);
        explorer.compareWith(brimlet::foldersOf(path, recalled->records[*index].id));
        benchmark::DoNotOptimize(explorer.rows().data());
    }
}
BENCHMARK(BM_OpenOnLastRecord5000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
