// Run under ThreadSanitizer: the live host's requests against the real bundle, with the fullness
// probe hanging as statvfs does on a dead network home (through the volume-query seam).

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

    const widgetkit::TupleWidget widgets = BrimletWidgetBundle{}.body();
    const std::string kinds = std::string(kBundleIdentifier);
    PlacedTimelines model(widgets);
    model.follow({PlacedWidget{"1", kinds + ".fullness", widgetkit::WidgetFamily::systemSmall, {}},
                  PlacedWidget{"2", kinds + ".breakdown", widgetkit::WidgetFamily::systemMedium,
                               {}}});
    std::mutex mutex;
    std::condition_variable woken;
    auto inbox = std::make_shared<AnswerInbox>([&] {
        const std::lock_guard lock(mutex);
        woken.notify_all();
    });
    const auto collect = [&](std::chrono::milliseconds limit) {
        std::vector<AnswerInbox::Answer> all;
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            for (auto& a : inbox->take()) all.push_back(std::move(a));
            std::unique_lock lock(mutex);
            if (!all.empty() || woken.wait_until(lock, end) == std::cv_status::timeout) break;
        }
        for (auto& a : inbox->take()) all.push_back(std::move(a));
        return all;
    };

    const Date start = Date::now();
    for (auto& ticket : model.start(start)) widgetkit::host::startRequest(std::move(ticket), inbox);
    auto answers = collect(5s);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].id, "2");  // the breakdown tile answers; the fullness one hangs
    model.finish(answers[0].id, answers[0].generation, std::move(answers[0].timeline), start);
    const auto placeholder = model.shown("1", start);
    EXPECT_FALSE(placeholder.live);
    EXPECT_NE(placeholder.entry, nullptr);

    // A new snapshot meanwhile: only the breakdown widget is asked again.
    model.reloadAll();
    const auto tickets = model.start(Date{start.secondsSinceReferenceDate + 1});
    ASSERT_EQ(tickets.size(), 1u);
    EXPECT_EQ(tickets[0].id, "2");

    unblock.set_value();
    answers = collect(5s);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].id, "1");
    EXPECT_TRUE(model.finish(answers[0].id, answers[0].generation, std::move(answers[0].timeline),
                             Date{start.secondsSinceReferenceDate + 2}));
    const auto reading =
        widgetkit::host::spaceReading(*model.shown("1", Date{start.secondsSinceReferenceDate + 2}).entry);
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->free, 5 * kGiB);
    EXPECT_EQ(reading->volumeName, "Data");
    // The thread has posted its answer and reads the seam no more; the overrides may end.
}

}  // namespace
}  // namespace brimlet
