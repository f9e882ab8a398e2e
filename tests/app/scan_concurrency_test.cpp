// The parallel walk gives the same figures whatever the number of threads, a live progress
// display reads its counters while it runs, and readers never meet half a snapshot.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <set>
#include <thread>
#include <tuple>

#include "app/cli/progress.h"
#include "extension/shared/fill_estimate.h"
#include "extension/shared/shared_snapshot.h"
#include "tests/app/scan_testing.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using namespace brimlet_test;

// Folder path -> {size, kinds...}, for comparing whole walks.
std::map<std::string, std::vector<std::int64_t>> figuresOf(const FolderTree& tree) {
    std::map<std::string, std::vector<std::int64_t>> figures;
    for (std::vector<const Folder*> pending{&tree.root()}; !pending.empty();) {
        const Folder* f = pending.back();
        pending.pop_back();
        auto& row = figures[folderPath(*f, "")] = {f->size};
        row.insert(row.end(), f->kinds.begin(), f->kinds.end());
        pending.insert(pending.end(), f->children.begin(), f->children.end());
    }
    return figures;
}

// The figures of every walk match those of one thread, while a live reporter draws and a quiet
// one writes nothing.
TEST(WalkConcurrency, SameFiguresForEveryThreadCountWhileProgressIsDrawn) {
    // 6 × 6 folders of 12 small files each; every tenth file is hard-linked from a folder
    // elsewhere; a2/b3 is a tagged cache.
    std::vector<Entry> tree{{Entry::text, "a2/b3/CACHEDIR.TAG", 0, kCacheTagSignature.data()}};
    for (std::size_t n = 0; n < 6 * 6 * 12; ++n) {
        const std::size_t a = n / 72, f = n % 12;
        const std::string in = "/b" + std::to_string(n / 12 % 6) + "/";
        const std::string name = in + std::to_string(f) + (f % 3 == 0 ? ".txt" : ".bin");
        tree.push_back({Entry::file, "a" + std::to_string(a) + name, (1 + f) * 1000});
        const std::string link = "a" + std::to_string(5 - a) + in + "link" + std::to_string(n);
        if (f % 10 == 0) tree.push_back({Entry::hardlink, link, 0, tree.back().path});
    }
    TempTree t;
    t.build(tree, "r/");
    // The live reporter draws on this console's error stream, the quiet one on its output.
    const CapturedConsole drawn;
    // Exclusions are read by every worker at once, and a cache found by one is dropped after all
    // have finished.
    WalkOptions excluding;
    excluding.exclusions = Exclusions{{{"*.txt", false}, {"a1", false}}, true};
    WalkProgress progress;
    std::vector<FolderTree> trees;  // the reporter may name a folder of any walk so far
    {
        const std::chrono::milliseconds often(1);
        ProgressReporter reporter(drawn.console.err, true, progress, t.path("r"), often);
        ProgressReporter silent(drawn.console.out, false, progress, t.path("r"), often);
        for (WalkOptions options : {WalkOptions{}, excluding}) {
            const bool excluded = options.exclusions.caches;
            options.threads = 1;
            const auto reference = figuresOf(walkTree(t.path("r"), options));
            ASSERT_EQ(reference.size(), excluded ? 1u + 5u + 29u : 1u + 6u + 36u);
            for (unsigned threads : {2u, 3u, 4u, 8u, 2u, 3u, 4u, 8u}) {
                SCOPED_TRACE(::testing::Message() << threads << (excluded ? ", excluding" : ""));
                options.threads = threads;
                trees.push_back(walkTree(t.path("r"), options, &progress));
                EXPECT_EQ(figuresOf(trees.back()), reference);
                EXPECT_TRUE(excluded || trees.back().files() == 6 * 6 * 12 + 1);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(drawn.out(), "");
    // Each redraw starts at the line's start and clears it; the last one leaves it cleared.
    EXPECT_TRUE(drawn.err().starts_with("\r\x1b[KScanning: ")) << drawn.err();
    EXPECT_TRUE(drawn.err().ends_with("\r\x1b[K")) << drawn.err();
    // The counters end where the trees' totals do: each hard-linked file once, each cache taken
    // back.
    std::int64_t files = 0, bytes = 0, folders = 0;
    for (const FolderTree& walked : trees) {
        files += walked.files();
        bytes += walked.root().size;
        folders += walked.folders();
    }
    EXPECT_EQ(std::tuple(progress.files.load(), progress.bytes.load(), progress.folders.load()),
              std::tuple(files, bytes, folders));
}

// While scans rewrite the shared snapshot, some of them failing part-way through the write, a
// reader in a loop always finds a whole document, and a failed scan leaves the previous one.
TEST(SnapshotAtomicity, ReaderNeverSeesAPartialDocumentAndFailuresKeepTheOldOne) {
    const Sample s;
    const SharedContainer shared;
    const FixedWorld world;
    ASSERT_EQ(CapturedConsole().run({"scan", s.root}), 0);
    std::atomic<bool> stopping{false};
    std::atomic<int> missing{0}, reads{0};
    std::thread reader([&] {
        for (; !stopping.load(); ++reads) missing += SharedSnapshot::read() ? 0 : 1;
    });
    for (std::size_t round = 0; round < 30; ++round) {
        SCOPED_TRACE(round);
        // Alternate the document's length so that a torn read could not pass as a whole one.
        const std::vector<std::string> args{"scan", s.root, "--top", round % 2 == 0 ? "1" : "8"};
        const auto before = foundation::readWholeFile(shared.snapshotPath());
        const bool fails = round % 3 == 2;  // cut at the start, then further and further in
        const FaultyEnvironment failing((round - 2) * 10);
        const CapturedConsole console;
        EXPECT_EQ(console.run(args, -1, fails ? failing : ScanEnvironment::standard()), fails);
        EXPECT_TRUE(!fails || foundation::readWholeFile(shared.snapshotPath()) == before);
    }
    stopping.store(true);
    reader.join();
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(missing.load(), 0);
    // Nothing but the snapshot, the record of its root and the fill estimate remains in the
    // container: no temporary file is left behind by a failed write.
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(shared.container()))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{std::string(kFillEstimateFileName),
                                            "snapshot-root.conf", std::string(kSnapshotFileName)}));
}

}  // namespace
}  // namespace brimlet
