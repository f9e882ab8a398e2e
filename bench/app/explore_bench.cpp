// The window's model on its heaviest inputs: the treemap of 10,000 and 100,000 blocks (sizes
// spread over six orders of magnitude, in a 1200 × 800 area), and the explorer going into a
// folder of 100,000 folders (rows built and sorted, by size and by name).
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "app/explore/explorer.h"
#include "app/explore/treemap.h"
#include "app/scan/testing.h"

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

// /big holds 100,000 folders named "folder-N", of spread sizes, each with one file.
std::shared_ptr<const brimlet::FolderTree> wideTree() {
    brimlet::testing::FolderTreeBuilder b("/big");
    brimlet::Folder& big = b.add(b.root(), "wide", 4096);
    const auto sizes = spreadSizes(100000);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        brimlet::Folder& f = b.add(big, "folder-" + std::to_string(i), 4096);
        b.addFiles(f, 1, sizes[i], brimlet::FileKind::other);
    }
    return std::make_shared<const brimlet::FolderTree>(b.finish());
}

// One enter (rows of the 100,000 folders, sorted) and one leave (one row) per iteration.
void BM_ExplorerEnterWideFolder(benchmark::State& state) {
    brimlet::Explorer explorer(wideTree());
    explorer.sort(static_cast<brimlet::ExplorerSort>(state.range(0)));
    const brimlet::Folder& wide = *explorer.tree().root().children.front();
    for (auto _ : state) {
        explorer.enter(wide);
        benchmark::DoNotOptimize(explorer.rows().data());
        explorer.leave();
    }
}
BENCHMARK(BM_ExplorerEnterWideFolder)
    ->Arg(static_cast<int>(brimlet::ExplorerSort::sizeDescending))
    ->Arg(static_cast<int>(brimlet::ExplorerSort::nameAscending))
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
