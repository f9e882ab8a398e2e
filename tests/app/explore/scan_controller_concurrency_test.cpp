// The scan controller on its own thread: progress read while it walks, a cancel that stops the
// walk at once, leaves no thread and keeps the old snapshot, failures as one line.
#include "app/explore/scan_controller.h"

#include <gtest/gtest.h>

#include "tests/app/scan_testing.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using namespace brimlet_test;

void raise(std::atomic_flag& flag) {
    flag.test_and_set();
    flag.notify_all();
}

// Lets `open` folders through, then holds each walk thread at the folder it opens until released.
struct Gate : ScanEnvironment {
    int openFolderFault(const std::string& /*path*/) const override {
        if (++opened > open) raise(held), released.wait(false);
        return 0;
    }
    int open = 1 << 30;
    mutable std::atomic<int> opened{0};
    mutable std::atomic_flag held, released;
};

ScanRequest requestFor(const std::string& root) {
    ScanRequest request;
    request.root = root;
    request.threads = 4;
    return request;
}

// A volume, a clock and a shared container holding an earlier snapshot; a controller that
// raises `ended` and opens folders through `gate`.
struct World {
    SharedContainer shared;
    bool written = (shared.write("the previous snapshot"), true);
    FixedWorld fixed;
    Gate gate;
    std::atomic_flag ended;
    ScanController controller{[this] { raise(ended); }, gate};
    std::string snapshot() const {
        return foundation::readWholeFile(shared.snapshotPath()).value_or("(none)");
    }
};

std::size_t threadCount() {
    std::thread([] {}).join();  // ThreadSanitizer starts a helper thread with the first one
    return std::size_t(std::distance(std::filesystem::directory_iterator("/proc/self/task"), {}));
}

TEST(ScanControllerConcurrency, CancelStopsTheWalkAtOnceAndKeepsThePreviousSnapshot) {
    const std::size_t threadsBefore = threadCount();
    TempTree t;
    std::vector<Entry> folders;  // 300 folders in 9
    for (int i = 0; i < 300; ++i)
        folders.push_back({Entry::folder, std::to_string(i % 9) + "/" + std::to_string(i)});
    t.build(folders);
    {
        World w;
        w.gate.open = 20;
        ASSERT_TRUE(w.controller.start(requestFor(t.root()), 1 << 20));
        w.gate.held.wait(false);
        std::atomic<bool> reading{true};
        std::thread reader([&] {
            while (reading.load()) EXPECT_LE(w.controller.progress().folders, 309);
        });
        EXPECT_TRUE(w.controller.running());
        EXPECT_FALSE(w.controller.start(requestFor(t.root())));
        const ScanProgressReport during = w.controller.progress();
        EXPECT_TRUE(during.currentFolder.starts_with(t.root())) << during.currentFolder;
        EXPECT_EQ(during.fraction, double(during.bytes) / (1 << 20));
        EXPECT_EQ(during.expectedBytes, 1 << 20);
        w.controller.cancel();
        const int openedAtCancel = w.gate.opened;
        raise(w.gate.released);
        w.ended.wait(false);
        reading.store(false);
        reader.join();
        EXPECT_LE(w.gate.opened - openedAtCancel, 4);  // a thread may have been about to open one
        const auto result = w.controller.takeResult();
        EXPECT_EQ(result.value().outcome, ScanOutcome::cancelled);
        EXPECT_FALSE(w.controller.running() || w.controller.takeResult());
        EXPECT_EQ(w.snapshot(), "the previous snapshot");
        // What was shown last stays, and the clock has stopped.
        const ScanProgressReport after = w.controller.progress();
        EXPECT_FALSE(after.currentFolder.empty());
        EXPECT_EQ(w.controller.progress().seconds, after.seconds);
    }
    EXPECT_EQ(threadCount(), threadsBefore);
}

TEST(ScanControllerConcurrency, FailsInOneLineAndThenScansAndHandsOverTheTree) {
    TempTree t;
    t.build({{Entry::file, "r/d0/f", 1000},
             {Entry::file, "r/d1/f", 2000},
             {Entry::folder, "new\nline"}});
    World w;
    const std::pair<std::string, std::string> kFailures[] = {
        {t.path("missing"), "No such file or directory"},
        {t.path("r/d1/f"), "not a folder"},
        {t.path("new\nline"), "Permission denied"},  // refused by the environment
    };
    for (const auto& [root, says] : kFailures) {
        const FaultyEnvironment refusing(
            [&](const std::string& p) { return p.ends_with("line") ? EACCES : 0; });
        std::atomic_flag ended;
        ScanController controller([&] { raise(ended); }, refusing);
        ASSERT_TRUE(controller.start(requestFor(root)));
        ended.wait(false);
        const auto result = controller.takeResult();
        EXPECT_EQ(result.value().outcome, ScanOutcome::failed);
        EXPECT_NE(result->message.find(says), std::string::npos) << result->message;
        EXPECT_EQ(result->message.find('\n'), std::string::npos);
        EXPECT_EQ(w.snapshot(), "the previous snapshot");
    }
    ASSERT_TRUE(w.controller.start(requestFor(t.path("r")), 1));
    w.ended.wait(false);
    const auto result = w.controller.takeResult();
    ASSERT_EQ(result.value().outcome, ScanOutcome::finished) << result->message;
    EXPECT_EQ(result->tree->files(), 2);
    EXPECT_EQ(result->snapshot->topFolders.size(), 2u);
    EXPECT_NE(w.snapshot(), "the previous snapshot");
    EXPECT_TRUE(result->message.ends_with(w.shared.snapshotPath())) << result->message;
    const ScanProgressReport report = w.controller.progress();
    EXPECT_EQ(report.files, 2);
    EXPECT_EQ(report.folders, result->tree->folders());  // the root included, as the summary counts
    EXPECT_EQ(report.fraction, 0.99);                    // never 1 before the end is known
}

}  // namespace
}  // namespace brimlet
