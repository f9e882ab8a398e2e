// The placed-widget store at sizes far beyond a real desk's: loading a store of N widgets, and a
// whole change (lock, load, add one widget and remove another, save atomically). Both must grow
// linearly with N; a store of 40,000 widgets (about 3.8 MB, under the 4 MiB read limit) loads in
// well under a second.

#include <benchmark/benchmark.h>

#include <string>

#include "platform/foundation/file.h"
#include "platform/widgetkit/host/placed_store.h"
#include "tests/support/scratch.h"

namespace {

using widgetkit::WidgetFamily;
using widgetkit::host::PlacedStore;
using widgetkit::host::PlacedWidget;
using widgetkit::host::PlacedWidgets;

// A store of `count` small fullness widgets as the host writes it: about 95 bytes each, so 40,000
// stay under the 4 MiB limit.
void fillStore(const PlacedStore& store, std::int64_t count) {
    PlacedWidgets placed;
    placed.widgets.reserve(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) {
        placed.widgets.push_back(PlacedWidget{placed.newId(), "org.brimlet.Brimlet.fullness",
                                              WidgetFamily::systemSmall, std::nullopt});
    }
    store.save(placed);
}

void BM_PlacedStoreLoad(benchmark::State& state) {
    const brimlet_test::ScratchDir dir;
    const PlacedStore store(dir / "placed.json");
    fillStore(store, state.range(0));
    state.counters["bytes"] =
        static_cast<double>(foundation::readWholeFile(store.path()).value_or("").size());
    for (auto _ : state) benchmark::DoNotOptimize(store.load());
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_PlacedStoreLoad)
    ->Arg(5000)
    ->Arg(20000)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_PlacedStoreUpdate(benchmark::State& state) {
    const brimlet_test::ScratchDir dir;
    const PlacedStore store(dir / "placed.json");
    fillStore(store, state.range(0));
    for (auto _ : state) {
        store.update([](PlacedWidgets& placed) {
            placed.widgets.push_back(PlacedWidget{placed.newId(), "org.brimlet.Brimlet.fullness",
                                                  WidgetFamily::systemSmall, std::nullopt});
            placed.widgets.erase(placed.widgets.begin());
        });
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_PlacedStoreUpdate)
    ->Arg(5000)
    ->Arg(20000)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
