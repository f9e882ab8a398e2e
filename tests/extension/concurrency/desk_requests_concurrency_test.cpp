// Run under ThreadSanitizer: the live host's requests against the real bundle, with the fullness
// probe hanging as statvfs does on a dead network home (through the volume-query seam). Reloads
// while a request hangs are the request threads' own test, with a provider that blocks.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>

#include "extension/entry/bundle.h"
#include "extension/shared/identifiers.h"
#include "platform/foundation/testing.h"
#include "platform/widgetkit/host/placed_timelines.h"
#include "platform/widgetkit/host/request_threads.h"

namespace brimlet {
namespace {

using namespace std::chrono_literals;
using foundation::Date;
using widgetkit::host::AnswerInbox;
using widgetkit::host::PlacedTimelines;
using widgetkit::host::PlacedWidget;

constexpr std::int64_t kGiB = std::int64_t{1} << 30;

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
