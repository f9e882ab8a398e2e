// Run under ThreadSanitizer: the breakdown provider asked from many threads at once, and the live
// host's requests against the real bundle with the fullness probe hanging as statvfs does on a
// dead network home (through the volume-query seam). Reloads while a request hangs are the request
// threads' own test, with a provider that blocks.

#include <gtest/gtest.h>

#include <barrier>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "extension/breakdown/breakdown_provider.h"
#include "extension/entry/bundle.h"
#include "extension/shared/identifiers.h"
#include "platform/foundation/testing.h"
#include "platform/widgetkit/host/placed_timelines.h"
#include "platform/widgetkit/host/request_threads.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using namespace std::chrono_literals;
using foundation::Date;
using widgetkit::host::AnswerInbox;
using widgetkit::host::PlacedTimelines;
using widgetkit::host::PlacedWidget;

constexpr std::int64_t kGiB = std::int64_t{1} << 30;

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

TEST(DeskRequests, HangingVolumeQueryHoldsOnlyItsOwnTile) {
    std::promise<void> unblock;
    std::shared_future<void> unblocked = unblock.get_future().share();
    // Started before any request thread and outliving every one that reads it (see the end).
    foundation::testing::ScopedVolumeQuery hanging([unblocked](const std::string&) {
        unblocked.wait();
        return std::optional<foundation::VolumeFigures>(
            foundation::VolumeFigures{100 * kGiB, 5 * kGiB, std::nullopt, "Data"});
    });
    foundation::testing::ScopedContainerRoot noContainer("");

    const widgetkit::TupleWidget widgets =
        BrimletWidgetBundle{}.body();  // the model holds a reference
    PlacedTimelines model(widgets);
    const std::string kinds(kBundleIdentifier);
    model.follow(
        {PlacedWidget{"1", kinds + ".fullness", widgetkit::WidgetFamily::systemSmall, {}},
         PlacedWidget{"2", kinds + ".breakdown", widgetkit::WidgetFamily::systemMedium, {}}});
    std::mutex mutex;
    std::condition_variable woken;
    auto inbox = std::make_shared<AnswerInbox>([&] {
        const std::lock_guard lock(mutex);
        woken.notify_all();
    });
    // Waits for at least one answer; the limit only keeps a hung request from hanging the test.
    const auto collect = [&] {
        std::vector<AnswerInbox::Answer> all;
        std::unique_lock lock(mutex);
        woken.wait_for(lock, 5s, [&] {
            for (auto& a : inbox->take()) all.push_back(std::move(a));
            return !all.empty();
        });
        return all;
    };

    const Date start = Date::now();
    for (auto& ticket : model.start(start)) widgetkit::host::startRequest(std::move(ticket), inbox);
    auto answers = collect();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].id, "2");  // the breakdown tile answers; the fullness one hangs
    unblock.set_value();
    answers = collect();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].id, "1");
    ASSERT_TRUE(
        model.finish(answers[0].id, answers[0].generation, std::move(answers[0].timeline), start));
    // The fullness entry carries what the desk's low-space notice reads.
    const auto reading = widgetkit::host::spaceReading(*model.shown("1", start).entry);
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->free, 5 * kGiB);
    EXPECT_EQ(reading->volumeName, "Data");
    // The thread has posted its answer and reads the seam no more; the overrides may end.
}

}  // namespace
}  // namespace brimlet
