// The parallel walk gives the same figures whatever the number of threads, and a live progress
// display can read its counters while it runs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>

#include "app/progress.h"
#include "app/walk.h"
#include "tests/app/scan_testing.h"

namespace brimlet {
namespace {

using brimlet_test::TempTree;

// Folder path -> {size, kinds...}, for comparing whole walks.
std::map<std::string, std::vector<std::int64_t>> figuresOf(const FolderTree& tree) {
    std::map<std::string, std::vector<std::int64_t>> figures;
    std::vector<const Folder*> pending{&tree.root()};
    while (!pending.empty()) {
        const Folder* f = pending.back();
        pending.pop_back();
        std::vector<std::int64_t> row{f->size};
        row.insert(row.end(), f->kinds.begin(), f->kinds.end());
        figures[folderPath(*f, "")] = row;
        pending.insert(pending.end(), f->children.begin(), f->children.end());
    }
    return figures;
}

// 6 × 6 folders of small files; every tenth file is hard-linked from a folder elsewhere.
void buildBusyTree(const TempTree& t) {
    for (int a = 0; a < 6; ++a) {
        for (int b = 0; b < 6; ++b) t.folder("r/a" + std::to_string(a) + "/b" + std::to_string(b));
    }
    for (int a = 0; a < 6; ++a) {
        for (int b = 0; b < 6; ++b) {
            const std::string folder = "r/a" + std::to_string(a) + "/b" + std::to_string(b);
            for (int f = 0; f < 12; ++f) {
                const std::string name =
                    folder + "/f" + std::to_string(f) + (f % 3 == 0 ? ".txt" : ".bin");
                t.file(name, static_cast<std::size_t>(1 + f) * 1000);
                if (f % 10 == 0) {
                    t.hardlink(name, "r/a" + std::to_string(5 - a) + "/b" + std::to_string(b) +
                                         "/link" + std::to_string(a) + "-" + std::to_string(f));
                }
            }
        }
    }
}

TEST(WalkConcurrency, SameFiguresForEveryThreadCount) {
    TempTree t;
    buildBusyTree(t);
    const int tag = ::open(t.path("r/a2/b3/CACHEDIR.TAG").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC,
                           0644);
    ASSERT_GE(tag, 0);
    ASSERT_EQ(::write(tag, kCacheTagSignature.data(), kCacheTagSignature.size()),
              static_cast<ssize_t>(kCacheTagSignature.size()));
    ::close(tag);
    // Exclusions are read by every worker at once, and a cache found by one is dropped after all
    // have finished.
    WalkOptions excluding;
    excluding.exclusions = Exclusions{{{"*.txt", false}, {"a1", false}}, true};
    for (const WalkOptions& options : {WalkOptions{}, excluding}) {
        const bool excluded = options.exclusions.caches;
        WalkOptions single = options;
        single.threads = 1;
        const auto reference = figuresOf(walkTree(t.path("r"), single));
        ASSERT_EQ(reference.size(), excluded ? 1u + 5u + 29u : 1u + 6u + 36u);
        for (unsigned threads : {2u, 3u, 4u, 8u}) {
            for (int repeat = 0; repeat < 3; ++repeat) {
                SCOPED_TRACE(::testing::Message() << threads << " threads, run " << repeat
                                                  << (excluded ? ", excluding" : ""));
                WalkOptions parallel = options;
                parallel.threads = threads;
                const FolderTree tree = walkTree(t.path("r"), parallel);
                EXPECT_EQ(figuresOf(tree), reference);
                if (!excluded) {
                    EXPECT_EQ(tree.files(), 6 * 6 * 12 + 1);
                }
            }
        }
    }
}

TEST(WalkConcurrency, LiveProgressReadsCountersWhileTheWalkRuns) {
    TempTree t;
    buildBusyTree(t);
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    // Drains the pipe while the reporter writes, so that it never blocks on a full pipe.
    std::string drawn;
    std::thread drain([&] {
        char buffer[4096];
        for (ssize_t n = 0; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
            drawn.append(buffer, static_cast<std::size_t>(n));
        }
    });
    WalkProgress progress;
    // The reporter may name a folder of any walk so far: every tree outlives it.
    std::vector<FolderTree> trees;
    {
        ProgressReporter reporter(pipeFds[1], true, progress, t.path("r"),
                                  std::chrono::milliseconds(1));
        for (int i = 0; i < 5; ++i)
            trees.push_back(walkTree(t.path("r"), WalkOptions{4}, &progress));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::close(pipeFds[1]);
    drain.join();
    ::close(pipeFds[0]);
    // Each redraw starts at the line's start and clears it; the last one leaves it cleared.
    EXPECT_EQ(drawn.rfind("\r\x1b[K", 0), 0u);
    EXPECT_NE(drawn.find("Scanning: "), std::string::npos);
    EXPECT_EQ(drawn.substr(drawn.size() - 4), "\r\x1b[K");
    // Progress counts every entry it meets, each hard link included: 36 × (12 files + 2 links).
    EXPECT_EQ(progress.files.load(), 5 * 36 * 14);
}

TEST(WalkConcurrency, QuietReporterWritesNothing) {
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    WalkProgress progress;
    {
        ProgressReporter reporter(pipeFds[1], false, progress, "/", std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::close(pipeFds[1]);
    char buffer[16];
    EXPECT_EQ(::read(pipeFds[0], buffer, sizeof buffer), 0);
    ::close(pipeFds[0]);
}

}  // namespace
}  // namespace brimlet
