// A walk cancelled from another thread stops taking folders at once and leaves no thread.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "tests/app/scan_testing.h"

namespace brimlet {
namespace {

using namespace brimlet_test;

std::size_t threadCount() {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator("/proc/self/task"), {}));
}

// Lets `open` folders through, then holds every walk thread at the folder it is opening until
// the walk is cancelled; counts the folders opened after that.
struct GateEnvironment : ScanEnvironment {
    int openFolderFault(const std::string& /*path*/) const override {
        std::unique_lock lock(mutex);
        if (cancel.load()) {
            ++openedAfterCancel;
            return 0;
        }
        if (++opened < open) return 0;
        held.notify_all();
        held.wait_for(lock, std::chrono::seconds(30), [this] { return cancel.load(); });
        return 0;
    }
    void cancelOnceHeld() {
        std::unique_lock lock(mutex);
        held.wait_for(lock, std::chrono::seconds(30), [this] { return opened >= open; });
        cancel.store(true);
        held.notify_all();
    }

    const int open = 40;
    mutable std::mutex mutex;
    mutable std::condition_variable held;
    mutable int opened = 0;
    mutable int openedAfterCancel = 0;
    std::atomic<bool> cancel{false};
};

TEST(WalkConcurrency, CancelFromAnotherThreadStopsTheWalkAndJoinsItsThreads) {
    std::vector<Entry> entries;
    for (int i = 0; i < 300; ++i) {
        entries.push_back(
            {Entry::file, "d" + std::to_string(i % 10) + "/e" + std::to_string(i) + "/f", 10});
    }
    TempTree t;
    t.build(entries, "r/");
    const std::size_t threadsBefore = threadCount();
    for (unsigned threads : {1u, 4u}) {
        SCOPED_TRACE(threads);
        GateEnvironment gate;
        WalkProgress progress;
        WalkOptions options{threads};
        options.environment = &gate;
        options.cancel = &gate.cancel;
        std::thread canceller([&] { gate.cancelOnceHeld(); });
        EXPECT_THROW(walkTree(t.path("r"), options, &progress), ScanCancelled);
        canceller.join();
        // Each thread may have been about to open one more folder when the flag changed.
        EXPECT_LE(gate.openedAfterCancel, static_cast<int>(threads));
        EXPECT_EQ(progress.currentPath(t.path("r")), "");
        EXPECT_EQ(threadCount(), threadsBefore);
    }
}

}  // namespace
}  // namespace brimlet
