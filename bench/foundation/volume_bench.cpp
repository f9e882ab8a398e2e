// The cost of measuring a volume, and its floor: what any implementation must pay at least (one
// statvfs of the home directory and one read of /proc/self/mountinfo), next to the parts the
// platform adds on top (the label lookup, parsing, the home lookup).

#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <array>
#include <cstddef>
#include <string>

#include "bench/bare_read.h"
#include "platform/foundation/file.h"
#include "platform/foundation/home.h"
#include "platform/foundation/volume.h"

namespace {

const std::string& home() {
    static const std::string path = foundation::homeDirectory().value_or("/");
    return path;
}

using bench::bareRead;

// The floor of one live probe.
void BM_Floor_StatvfsAndMountinfo(benchmark::State& state) {
    for (auto _ : state) {
        struct statvfs vfs {};
        benchmark::DoNotOptimize(::statvfs(home().c_str(), &vfs));
        benchmark::DoNotOptimize(vfs.f_bavail);
        benchmark::DoNotOptimize(bareRead("/proc/self/mountinfo"));
    }
}
BENCHMARK(BM_Floor_StatvfsAndMountinfo);

void BM_Statvfs(benchmark::State& state) {
    for (auto _ : state) {
        struct statvfs vfs {};
        benchmark::DoNotOptimize(::statvfs(home().c_str(), &vfs));
        benchmark::DoNotOptimize(vfs.f_bavail);
    }
}
BENCHMARK(BM_Statvfs);

void BM_BareRead_Mountinfo(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(bareRead("/proc/self/mountinfo"));
}
BENCHMARK(BM_BareRead_Mountinfo);

void BM_ReadWholeFile_Mountinfo(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(foundation::readWholeFile("/proc/self/mountinfo"));
}
BENCHMARK(BM_ReadWholeFile_Mountinfo);

void BM_ParseMountInfo(benchmark::State& state) {
    const std::string text = foundation::readWholeFile("/proc/self/mountinfo").value_or("");
    std::size_t lines = 0;
    for (auto _ : state) {
        const auto entries = foundation::parseMountInfo(text);
        lines = entries.size();
        benchmark::DoNotOptimize(entries.data());
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ParseMountInfo);

// What the label lookup pays before it finds anything: opening /dev/disk/by-label and walking it
// (a failed opendir where the machine has no labelled disks).
void BM_ByLabelDirectoryWalk(benchmark::State& state) {
    std::size_t names = 0;
    for (auto _ : state) {
        names = 0;
        if (DIR* dir = ::opendir("/dev/disk/by-label")) {
            while (::readdir(dir) != nullptr) ++names;
            ::closedir(dir);
        }
        benchmark::DoNotOptimize(names);
    }
    state.counters["entries"] = static_cast<double>(names);
}
BENCHMARK(BM_ByLabelDirectoryWalk);

void BM_HomeDirectory(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(foundation::homeDirectory());
}
BENCHMARK(BM_HomeDirectory);

// The platform's whole live query: statvfs, stat, the label lookup and the mount point.
void BM_VolumeFigures_Home(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(foundation::volumeFigures(home()));
}
BENCHMARK(BM_VolumeFigures_Home);

}  // namespace

BENCHMARK_MAIN();
