// The fullness widget's request path and the byte formatter. Compare BM_Provider_GetTimeline
// with BM_Floor_StatvfsAndMountinfo in foundation_bench: the target is at most three times it.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>
#include <iterator>

#include "extension/fullness/provider.h"
#include "extension/fullness/volume_sample.h"
#include "extension/shared/human_bytes.h"

namespace {

void BM_HumanBytes(benchmark::State& state) {
    // One of each branch: bytes, KB, MB, GB, TB, and the clamped top of TB.
    constexpr std::int64_t kValues[] = {
        512, 1536, 1'000'000, 48'000'000'000, 1'000'000'000'000, INT64_MAX,
    };
    for (auto _ : state) {
        for (const auto v : kValues) benchmark::DoNotOptimize(brimlet::humanBytes(v));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::size(kValues)));
}
BENCHMARK(BM_HumanBytes);

void BM_HumanBytes_Bytes(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(brimlet::humanBytes(1000));
}
BENCHMARK(BM_HumanBytes_Bytes);

void BM_HumanBytes_Gigabytes(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(brimlet::humanBytes(500'000'000'000));
}
BENCHMARK(BM_HumanBytes_Gigabytes);

void BM_ProbeVolume(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(brimlet::probeVolume());
}
BENCHMARK(BM_ProbeVolume);

void BM_Provider_GetTimeline(benchmark::State& state) {
    const brimlet::Provider provider;
    const widgetkit::TimelineProviderContext context;
    std::size_t entries = 0;
    const std::function<void(widgetkit::Timeline<brimlet::DiskEntry>)> completion =
        [&entries](widgetkit::Timeline<brimlet::DiskEntry> timeline) {
            entries += timeline.entries.size();
        };
    for (auto _ : state) provider.getTimeline(context, completion);
    benchmark::DoNotOptimize(entries);
}
BENCHMARK(BM_Provider_GetTimeline);

void BM_Provider_Placeholder(benchmark::State& state) {
    const brimlet::Provider provider;
    const widgetkit::TimelineProviderContext context;
    for (auto _ : state) benchmark::DoNotOptimize(provider.placeholder(context));
}
BENCHMARK(BM_Provider_Placeholder);

}  // namespace

BENCHMARK_MAIN();
