// Requests on threads of their own, answers brought back to the model's thread: a provider that
// blocks holds only its own request, and answers from many threads at once are all taken in.

#include "platform/widgetkit/host/request_threads.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>

#include "tests/platform/widgetkit/host/fake_widget.h"

namespace widgetkit::host {
namespace {

using namespace testing;
using namespace std::chrono_literals;

// The model's thread: waits for wake-ups and takes the answers in.
struct Owner {
    std::mutex mutex;
    std::condition_variable woken;
    int wakes = 0;
    std::shared_ptr<AnswerInbox> inbox = std::make_shared<AnswerInbox>([this] {
        const std::lock_guard lock(mutex);
        wakes += 1;
        woken.notify_all();
    });

    // Waits up to `timeout` for `count` answers in all; a wake-up seen before a take is one that
    // brought nothing new.
    std::vector<AnswerInbox::Answer> collect(std::size_t count, std::chrono::milliseconds timeout) {
        std::vector<AnswerInbox::Answer> all;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (std::unique_lock lock(mutex);;) {
            const int seen = wakes;
            lock.unlock();
            for (auto& a : inbox->take()) all.push_back(std::move(a));
            lock.lock();
            const auto woke = [&] { return wakes != seen; };
            if (all.size() >= count || !woken.wait_until(lock, deadline, woke)) return all;
        }
    }
};

TEST(RequestThreads, BlockedProviderLeavesTheTileAndStartsNoSecondRequest) {
    auto script = std::make_shared<Script>();
    std::promise<void> release;
    script->next = [released = release.get_future().share()](const ParameterValue& p) {
        if (p.entityId == std::optional<std::string>("dead")) released.wait();
        return timelineOf({entryAt(5)}, TimelineReloadPolicy::never());
    };
    const TupleWidget widgets{fakeWidget(script)};
    PlacedTimelines model(widgets);
    Owner owner;
    model.follow({placedFake("live"), placedFake("dead", "dead")});
    for (auto& t : model.start(at(0))) startRequest(std::move(t), owner.inbox);

    auto answers = owner.collect(2, 300ms);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].id, "live");
    for (auto& a : answers) model.finish(a.id, a.generation, std::move(a.timeline), at(0.5));
    EXPECT_TRUE(model.shown("live", at(0.5)).live);
    EXPECT_FALSE(model.shown("dead", at(0.5)).live);  // still the placeholder
    EXPECT_FALSE(model.settled(at(1.9)));
    EXPECT_TRUE(model.settled(at(2)));

    // Reloads meanwhile ask the live widget again, never the blocked one.
    for (int i = 0; i < 5; ++i) {
        model.reloadAll();
        auto tickets = model.start(at(3 + i));
        ASSERT_EQ(tickets.size(), 1u);
        EXPECT_EQ(tickets[0].id, "live");
        startRequest(std::move(tickets[0]), owner.inbox);
        for (auto& a : owner.collect(1, 5s)) model.finish(a.id, a.generation, a.timeline, at(4));
    }
    EXPECT_EQ(script->timelineCalls, 2 + 5);

    release.set_value();
    answers = owner.collect(1, 5s);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].id, "dead");
    EXPECT_TRUE(model.finish(answers[0].id, answers[0].generation, std::move(answers[0].timeline),
                             at(9)));
    EXPECT_TRUE(model.shown("dead", at(9)).live);
    // The reloads it missed while blocked are made now, once.
    const auto followUp = model.start(at(9));
    ASSERT_EQ(followUp.size(), 1u);
    EXPECT_EQ(followUp[0].id, "dead");
}

TEST(RequestThreads, ManyAnswersAtOnceAreAllTakenIn) {
    auto script = std::make_shared<Script>();
    const TupleWidget widgets{fakeWidget(script)};
    PlacedTimelines model(widgets);
    Owner owner;
    std::vector<PlacedWidget> placed;
    for (int i = 0; i < 24; ++i) placed.push_back(placedFake(std::to_string(i)));
    model.follow(placed);
    for (int round = 0; round < 3; ++round) {
        model.reloadAll();
        for (auto& t : model.start(at(round))) startRequest(std::move(t), owner.inbox);
        auto answers = owner.collect(placed.size(), 10s);
        ASSERT_EQ(answers.size(), placed.size());
        for (auto& a : answers) {
            EXPECT_TRUE(model.finish(a.id, a.generation, std::move(a.timeline), at(round)));
        }
    }
    EXPECT_TRUE(model.settled(at(3)));
    EXPECT_EQ(script->timelineCalls, 3 * 24);
}

}  // namespace
}  // namespace widgetkit::host
