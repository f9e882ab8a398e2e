// Requests on threads of their own, answers brought back to the model's thread: a provider that
// blocks holds only its own request, and answers from many threads at once are all taken in.

#include "platform/widgetkit/host/request_threads.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>

#include "tests/platform/widgetkit/host/fake_widget.h"

namespace widgetkit::host {
namespace {

using namespace testing;
using namespace std::chrono_literals;

// The model's thread: waits for wake-ups and takes the answers in. The wake-up's state is shared
// with the inbox, which the request threads hold: a thread still inside its wake-up after the
// last answer was taken must not find it gone with the test.
struct Owner {
    struct Wakes {
        std::mutex mutex;
        std::condition_variable woken;
        int count = 0;
    };
    std::shared_ptr<Wakes> wakes = std::make_shared<Wakes>();
    std::shared_ptr<AnswerInbox> inbox = std::make_shared<AnswerInbox>([w = wakes] {
        const std::lock_guard lock(w->mutex);
        w->count += 1;
        w->woken.notify_all();
    });

    // Waits up to `timeout` for `count` answers in all; a wake-up seen before a take is one that
    // brought nothing new.
    std::vector<AnswerInbox::Answer> collect(std::size_t count, std::chrono::milliseconds timeout) {
        std::vector<AnswerInbox::Answer> all;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (std::unique_lock lock(wakes->mutex);;) {
            const int seen = wakes->count;
            lock.unlock();
            for (auto& a : inbox->take()) all.push_back(std::move(a));
            lock.lock();
            const auto woke = [&] { return wakes->count != seen; };
            if (all.size() >= count || !wakes->woken.wait_until(lock, deadline, woke)) return all;
        }
    }
};

// Twenty-four widgets answer at once from threads of their own, round after round, while one
// more is blocked in its provider: that one holds only its own tile, is never asked again while
// blocked, and makes the reloads it missed once, when it answers.
TEST(RequestThreads, BlockedProviderHoldsOnlyItsTileWhileManyAnswersAreTakenIn) {
    auto script = std::make_shared<Script>();
    std::promise<void> release;
    script->next = [released = release.get_future().share()](const ParameterValue& p) {
        if (p.entityId == std::optional<std::string>("dead")) released.wait();
        return timelineOf({entryAt(5)}, TimelineReloadPolicy::never());
    };
    const TupleWidget widgets{fakeWidget(script)};
    PlacedTimelines model(widgets);
    Owner owner;
    constexpr std::size_t kLive = 24;
    std::vector<PlacedWidget> placed{placedFake("dead", "dead")};
    for (std::size_t i = 0; i < kLive; ++i) placed.push_back(placedFake(std::to_string(i)));
    model.follow(placed);
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        model.reloadAll();
        for (auto& t : model.start(at(round))) startRequest(std::move(t), owner.inbox);
        auto answers = owner.collect(kLive, 10s);
        ASSERT_EQ(answers.size(), kLive);
        for (auto& a : answers) {
            EXPECT_TRUE(model.finish(a.id, a.generation, std::move(a.timeline), at(round)));
        }
    }
    EXPECT_TRUE(model.shown("0", at(4)).live);
    EXPECT_FALSE(model.shown("dead", at(4)).live);  // still the placeholder
    EXPECT_FALSE(model.settled(at(1.9)));
    EXPECT_TRUE(model.settled(at(2)));
    EXPECT_EQ(script->timelineCalls, 1 + 4 * kLive);

    release.set_value();
    auto late = owner.collect(1, 5s);
    ASSERT_EQ(late.size(), 1u);
    EXPECT_EQ(late[0].id, "dead");
    EXPECT_TRUE(model.finish(late[0].id, late[0].generation, std::move(late[0].timeline), at(9)));
    EXPECT_TRUE(model.shown("dead", at(9)).live);
    const auto followUp = model.start(at(9));
    ASSERT_EQ(followUp.size(), 1u);
    EXPECT_EQ(followUp[0].id, "dead");
}

}  // namespace
}  // namespace widgetkit::host
