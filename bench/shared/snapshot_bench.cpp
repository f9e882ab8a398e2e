// The cost of reading the snapshot, against its floor.
//
//   BareRead/SharedSnapshotRead: one read of snapshot.json (the preview sample, about 1 KB) as the
//     extension does it, and the same file read whole with plain system calls. Decoding should
//     cost less than the read itself, so SharedSnapshotRead stays under twice BareRead.
//   Decode/Small, Decode/Large: decoding alone, of the same small document and of a 4 MiB
//     document made of items (bytes_per_second is the decoding rate; the aim is 0.5 GB/s).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <string>

#include "bench/bare_read.h"
#include "extension/shared/disk_snapshot.h"
#include "extension/shared/identifiers.h"
#include "extension/shared/shared_snapshot.h"
#include "platform/foundation/file.h"
#include "platform/foundation/testing.h"
#include "tests/support/snapshot_home.h"

namespace {

using brimlet::DiskSnapshot;

const std::string& smallDocument() {
    static const std::string document = DiskSnapshot::preview().encode().value_or("");
    return document;
}

// Just under 4 MiB: the snapshot's required members with topFolders holding items.
const std::string& largeDocument() {
    static const std::string document = [] {
        DiskSnapshot s = DiskSnapshot::preview();
        s.topFolders.clear();
        std::string json;
        for (std::int64_t i = 0;; ++i) {
            s.topFolders.push_back(
                {"folder number " + std::to_string(i), 1'000'000'000 + i * 7919});
            if (i % 1024 == 0) {
                json = s.encode().value_or("");
                if (json.size() > foundation::kMaxWholeFileBytes - 64 * 1024) break;
            }
        }
        return json;
    }();
    return document;
}

using bench::bareRead;

void BareRead(benchmark::State& state) {
    const brimlet_test::SnapshotHome container(smallDocument());
    for (auto _ : state) benchmark::DoNotOptimize(bareRead(container.path().c_str()));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(smallDocument().size()));
}
BENCHMARK(BareRead);

void SharedSnapshotRead(benchmark::State& state) {
    const brimlet_test::SnapshotHome container(smallDocument());
    const foundation::testing::ScopedContainerRoot root(container.root());
    if (!brimlet::SharedSnapshot::read()) state.SkipWithError("the snapshot did not read");
    for (auto _ : state) benchmark::DoNotOptimize(brimlet::SharedSnapshot::read());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(smallDocument().size()));
}
BENCHMARK(SharedSnapshotRead);

void Decode(benchmark::State& state, const std::string& (*document)()) {
    const std::string& json = document();
    if (!DiskSnapshot::decode(json)) state.SkipWithError("the document did not decode");
    for (auto _ : state) benchmark::DoNotOptimize(DiskSnapshot::decode(json));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(json.size()));
    state.counters["bytes"] = static_cast<double>(json.size());
}
BENCHMARK_CAPTURE(Decode, Small, &smallDocument);
BENCHMARK_CAPTURE(Decode, Large, &largeDocument)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
