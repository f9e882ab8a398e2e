// The scan controller on its own thread: progress read while it walks, a cancel that keeps the
// old snapshot, failures as one line, and a finished scan handed over once.
#include "app/explore/scan_controller.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "platform/foundation/file.h"
#include "tests/app/scan_testing.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using namespace brimlet_test;
using namespace std::chrono_literals;

// A flag set from any thread and waited for, at most a minute.
class Latch {
public:
    void set() {
        std::lock_guard lock(mutex_);
        set_ = true;
        changed_.notify_all();
    }
    bool wait() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 60s, [this] { return set_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool set_ = false;
};

// Lets `open` folders through, then holds the walk at the next ones until released.
struct Gate : ScanEnvironment {
    int openFolderFault(const std::string& /*path*/) const override {
        if (++opened > open) {
            held.set();
            released.wait();
        }
        return 0;
    }
    int open = 1000000;
    mutable std::atomic<int> opened{0};
    mutable Latch held, released;
};

ScanRequest requestFor(const std::string& root) {
    ScanRequest request;
    request.root = root;
    return request;
}

struct World {
    World() {
        std::vector<Entry> entries;
        for (int i = 0; i < 120; ++i) {
            entries.push_back({Entry::file, "d" + std::to_string(i % 12) + "/f" + std::to_string(i),
                               std::size_t(1000 + i)});
        }
        t.build(entries, "r/");
        shared.write("the previous snapshot");
    }
    TempTree t;
    SharedContainer shared;
    FixedWorld fixed;
    Gate gate;
    Latch ended;
    ScanController controller{[this] { ended.set(); }, gate};
    ScanRequest request() const { return requestFor(t.path("r")); }
    std::string snapshot() const {
        return foundation::readWholeFile(shared.snapshotPath()).value_or("(none)");
    }
};

TEST(ScanControllerConcurrency, CancelWhileProgressIsReadKeepsThePreviousSnapshot) {
    World w;
    w.gate.open = 5;
    ASSERT_TRUE(w.controller.start(w.request(), 1 << 20));
    ASSERT_TRUE(w.gate.held.wait());
    // Read from another thread while the walk is held and after it goes on.
    std::atomic<bool> reading{true};
    std::thread reader([&] {
        while (reading.load()) (void)w.controller.progress();
    });
    EXPECT_TRUE(w.controller.running());
    EXPECT_FALSE(w.controller.start(w.request()));
    const ScanProgressReport during = w.controller.progress();
    EXPECT_TRUE(during.currentFolder.starts_with(w.t.path("r"))) << during.currentFolder;
    EXPECT_GT(during.files, 0);
    ASSERT_TRUE(during.fraction.has_value());
    EXPECT_DOUBLE_EQ(*during.fraction, double(during.bytes) / (1 << 20));
    w.controller.cancel();
    w.gate.released.set();
    ASSERT_TRUE(w.ended.wait());
    reading.store(false);
    reader.join();
    const auto result = w.controller.takeResult();
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->outcome, ScanOutcome::cancelled);
    EXPECT_EQ(result->tree, nullptr);
    EXPECT_FALSE(w.controller.running());
    EXPECT_FALSE(w.controller.takeResult().has_value());
    EXPECT_EQ(w.snapshot(), "the previous snapshot");
    // What was shown last stays, and the clock has stopped.
    const ScanProgressReport after = w.controller.progress();
    EXPECT_FALSE(after.currentFolder.empty());
    EXPECT_EQ(after.seconds, w.controller.progress().seconds);
}

TEST(ScanControllerConcurrency, FinishedScanWritesTheSnapshotAndHandsOverItsTree) {
    World w;
    ASSERT_TRUE(w.controller.start(w.request(), 1));
    ASSERT_TRUE(w.ended.wait());
    auto result = w.controller.takeResult();
    ASSERT_TRUE(result.has_value());
    ASSERT_EQ(result->outcome, ScanOutcome::finished) << result->message;
    ASSERT_NE(result->tree, nullptr);
    EXPECT_EQ(result->tree->files(), 120);
    EXPECT_EQ(result->tree->root().folders, 12);
    ASSERT_TRUE(result->snapshot.has_value());
    EXPECT_EQ(result->snapshot->topFolders.size(), 8u);
    EXPECT_NE(w.snapshot(), "the previous snapshot");
    EXPECT_TRUE(result->message.ends_with(w.shared.snapshotPath())) << result->message;
    const ScanProgressReport report = w.controller.progress();
    EXPECT_EQ(report.files, 120);
    EXPECT_EQ(report.folders, 12);
    EXPECT_EQ(report.fraction, 0.99);  // never 1 before the end is known
}

TEST(ScanControllerConcurrency, FailuresAreOneLineAndTheControllerScansAgain) {
    World w;
    const std::string odd = w.t.path("new\nline");
    std::filesystem::create_directory(odd);
    struct Case {
        std::string root;
        int refused;  // errno for opening the root
        std::string says;
    };
    for (const Case& c :
         {Case{w.t.path("missing"), 0, "No such file or directory"},
          Case{w.t.path("r/d1/f1"), 0, "not a folder"}, Case{odd, EACCES, "Permission denied"}}) {
        SCOPED_TRACE(c.root);
        FaultyEnvironment refusing([&](const std::string& p) { return p == odd ? c.refused : 0; });
        Latch ended;
        ScanController controller([&] { ended.set(); }, refusing);
        ASSERT_TRUE(controller.start(requestFor(c.root)));
        ASSERT_TRUE(ended.wait());
        const auto result = controller.takeResult();
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->outcome, ScanOutcome::failed);
        EXPECT_NE(result->message.find(c.says), std::string::npos) << result->message;
        EXPECT_EQ(result->message.find('\n'), std::string::npos);
        EXPECT_EQ(w.snapshot(), "the previous snapshot");
    }
    ASSERT_TRUE(w.controller.start(w.request()));
    ASSERT_TRUE(w.ended.wait());
    EXPECT_EQ(w.controller.takeResult()->outcome, ScanOutcome::finished);
}

}  // namespace
}  // namespace brimlet
