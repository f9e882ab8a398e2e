// The scanner's hot paths: classifying a file name, and walking a generated tree (4,000 files
// in 400 folders under the temporary folder) with 1, 2 and 4 threads.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/scan/kinds.h"
#include "app/scan/walk.h"
#include "tests/support/scratch.h"

namespace {

void BM_ClassifyFile(benchmark::State& state) {
    const std::vector<std::string> names = {
        "IMG_2041.JPG", "main.cpp",  "libssl.so.3",   "README",     "movie.mkv",  "notes.txt",
        ".bashrc",      "data.json", "backup.tar.gz", "python3.11", "report.PDF", "x.unknownext",
    };
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(brimlet::classifyFile(names[i % names.size()], (i & 1) != 0));
        ++i;
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(i));
}
BENCHMARK(BM_ClassifyFile);

// A tree made once for the whole run and removed at exit.
class GeneratedTree {
public:
    GeneratedTree() {
        if (root().empty()) return;
        const char* extensions[] = {".txt", ".jpg", ".mp4", ".cpp", ".gz", ""};
        for (int a = 0; a < 20; ++a) {
            for (int b = 0; b < 20; ++b) {
                const std::string folder =
                    root() + "/d" + std::to_string(a) + "/e" + std::to_string(b);
                std::filesystem::create_directories(folder);
                for (int f = 0; f < 10; ++f) {
                    const std::string file = folder + "/f" + std::to_string(f) + extensions[f % 6];
                    const int fd =
                        ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
                    if (fd < 0) continue;
                    if (::write(fd, "0123456789", 10) != 10) state_ok_ = false;
                    ::close(fd);
                }
            }
        }
    }
    const std::string& root() const { return scratch_.path(); }
    bool ok() const { return state_ok_ && !root().empty(); }

private:
    brimlet_test::ScratchDir scratch_;
    bool state_ok_ = true;
};

const GeneratedTree& tree() {
    static const GeneratedTree generated;
    return generated;
}

void BM_WalkTree(benchmark::State& state) {
    if (!tree().ok()) {
        state.SkipWithError("could not generate the tree");
        return;
    }
    const brimlet::WalkOptions options{static_cast<unsigned>(state.range(0))};
    std::int64_t files = 0;
    for (auto _ : state) {
        const brimlet::FolderTree walked = brimlet::walkTree(tree().root(), options);
        files += walked.files();
        benchmark::DoNotOptimize(walked.root().size);
    }
    state.SetItemsProcessed(files);
}
BENCHMARK(BM_WalkTree)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
