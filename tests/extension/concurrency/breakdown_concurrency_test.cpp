// Run under ThreadSanitizer: the breakdown provider asked from many threads at once, and the
// sample snapshot built at first use by many threads at once.

#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <string>
#include <thread>
#include <vector>

#include "extension/breakdown/breakdown_provider.h"
#include "extension/shared/disk_snapshot.h"
#include "platform/foundation/testing.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using foundation::Date;

constexpr int kThreads = 8;
constexpr int kTimelinesPerThread = 200;
constexpr Date kTenOClock{725796000};

// Declared first so that, run as one process, it meets the sample before anything else does.
TEST(BreakdownConcurrency, ThePreviewIsBuiltOnceUnderConcurrentFirstUse) {
    std::barrier start(kThreads);
    std::vector<const DiskSnapshot*> seen(kThreads, nullptr);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            start.arrive_and_wait();
            seen[static_cast<std::size_t>(t)] = &DiskSnapshot::preview();
        });
    }
    for (auto& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) {
        SCOPED_TRACE(t);
        const DiskSnapshot* sample = seen[static_cast<std::size_t>(t)];
        ASSERT_NE(sample, nullptr);
        EXPECT_EQ(sample, seen[0]);
        EXPECT_EQ(sample->generatedAt, Date::fromUnixSeconds(0));
        EXPECT_EQ(sample->volumeName, "Macintosh HD");
        EXPECT_EQ(sample->used, 556'000'000'000);
        ASSERT_EQ(sample->topFolders.size(), 5u);
        EXPECT_EQ(sample->topFolders[4].name, "Movies");
        ASSERT_EQ(sample->topKinds.size(), 4u);
        ASSERT_TRUE(sample->areas.has_value());
        ASSERT_EQ(sample->areas->size(), 1u);
        EXPECT_EQ((*sample->areas)[0].name, "work");
        EXPECT_EQ(sample->rootName, std::optional<std::string>("code"));
    }
}

TEST(BreakdownConcurrency, EveryConcurrentTimelineIsComplete) {
    brimlet_test::SharedContainer container;
    container.write(brimlet_test::exampleDocument());
    const foundation::testing::ScopedClock clock(kTenOClock);

    std::barrier start(kThreads);
    std::atomic<int> complete{0};
    std::vector<std::string> failures(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            SelectAreaIntent intent;
            if (t % 2 == 1) intent.area.wrappedValue = AreaEntity{"work"};
            const widgetkit::TimelineProviderContext context{t % 3 == 0, widgetkit::WidgetFamily::systemLarge,
                                                             widgetkit::displaySize(widgetkit::WidgetFamily::systemLarge)};
            std::string& failure = failures[static_cast<std::size_t>(t)];
            start.arrive_and_wait();
            for (int i = 0; i < kTimelinesPerThread && failure.empty(); ++i) {
                const auto timeline = BreakdownProvider{}.timeline(intent, context).get();
                if (timeline.entries.size() != 1) {
                    failure = "entries: " + std::to_string(timeline.entries.size());
                    break;
                }
                const BreakdownEntry& entry = timeline.entries[0];
                const auto resolved = entry.resolved();
                const bool ok =
                    entry.date == kTenOClock && entry.snapshot.has_value() &&
                    entry.snapshot->topFolders.size() == 2 && entry.snapshot->rootName == "code" &&
                    entry.areaName == (t % 2 == 1 ? std::optional<std::string>("work")
                                                  : std::optional<std::string>()) &&
                    resolved.has_value() && resolved->title == (t % 2 == 1 ? "work" : "code") &&
                    timeline.policy.kind() == widgetkit::TimelineReloadPolicy::Kind::after &&
                    timeline.policy.date() == Date{kTenOClock.secondsSinceReferenceDate + 21600};
                if (!ok) {
                    failure = "timeline " + std::to_string(i) + " is incomplete";
                    break;
                }
                complete.fetch_add(1, std::memory_order_relaxed);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(failures[static_cast<std::size_t>(t)], "") << "thread " << t;
    }
    EXPECT_EQ(complete.load(), kThreads * kTimelinesPerThread);
}

}  // namespace
}  // namespace brimlet
