// Run under ThreadSanitizer: the breakdown provider asked from many threads at once.

#include <gtest/gtest.h>

#include <barrier>
#include <string>
#include <thread>
#include <vector>

#include "extension/breakdown/breakdown_provider.h"
#include "platform/foundation/testing.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using foundation::Date;

TEST(BreakdownConcurrency, EveryConcurrentTimelineIsComplete) {
    constexpr int kThreads = 8;
    constexpr Date kTenOClock{725796000}, kSixHoursLater{725796000 + 21600};
    const brimlet_test::SharedContainer container;
    container.write(brimlet_test::exampleDocument());
    const foundation::testing::ScopedClock clock(kTenOClock);

    std::barrier start(kThreads);
    std::vector<std::string> failures(kThreads);
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                // Half the threads pick the area "work", a third ask for the gallery.
                const bool work = t % 2 == 1;
                SelectAreaIntent intent;
                if (work) intent.area.wrappedValue = AreaEntity{"work"};
                const auto family = widgetkit::WidgetFamily::systemLarge;
                const widgetkit::TimelineProviderContext context{t % 3 == 0, family,
                                                                 widgetkit::displaySize(family)};
                const auto areaName = work ? std::optional<std::string>("work") : std::nullopt;
                std::string& failure = failures[static_cast<std::size_t>(t)];
                start.arrive_and_wait();
                for (int i = 0; i < 50 && failure.empty(); ++i) {
                    const auto timeline = BreakdownProvider{}.timeline(intent, context).get();
                    const BreakdownEntry* entry =
                        timeline.entries.size() == 1 ? &timeline.entries[0] : nullptr;
                    const auto resolved = entry ? entry->resolved() : std::nullopt;
                    const bool ok =
                        entry && entry->date == kTenOClock && entry->snapshot &&
                        entry->snapshot->topFolders.size() == 2 && resolved &&
                        entry->areaName == areaName &&
                        resolved->title == (work ? "work" : "code") &&
                        timeline.policy.kind() == widgetkit::TimelineReloadPolicy::Kind::after &&
                        timeline.policy.date() == kSixHoursLater;
                    if (!ok) failure = "timeline " + std::to_string(i) + " is incomplete";
                }
            });
        }
    }
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(failures[static_cast<std::size_t>(t)], "") << "thread " << t;
    }
}

}  // namespace
}  // namespace brimlet
