#include "platform/foundation/executor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

namespace foundation {
namespace {

TEST(SharedExecutor, TasksFromSeveralThreadsEachRunOnceAndDeliverTheirResult) {
    constexpr int kSubmitters = 4, kEach = 250;
    // A task never run leaves its future waiting; one run twice shows in the count.
    std::atomic<int> runs{0};
    std::vector<std::thread> submitters;
    for (int s = 0; s < kSubmitters; ++s) {
        submitters.emplace_back([s, &runs] {
            std::vector<std::future<std::int64_t>> mine;
            for (int id = s * kEach; id < (s + 1) * kEach; ++id) {
                mine.push_back(sharedExecutor().submit([id, &runs] {
                    runs.fetch_add(1);
                    return std::int64_t{id};
                }));
            }
            for (std::int64_t id = s * kEach; auto& f : mine) EXPECT_EQ(f.get(), id++);
        });
    }
    for (auto& t : submitters) t.join();
    EXPECT_EQ(runs.load(), kSubmitters * kEach);
}

TEST(SharedExecutor, RunsTwoTasksAtOnceOffTheCallerAndSurvivesAThrowingTask) {
    // Two tasks that each wait for the other can only both finish when they run at once, which
    // a pool of at least two threads must allow.
    auto a = std::make_shared<std::promise<void>>();
    auto b = std::make_shared<std::promise<void>>();
    auto first = sharedExecutor().submit([a, b] {
        a->set_value();
        b->get_future().wait();
        return std::this_thread::get_id();
    });
    auto second = sharedExecutor().submit([a, b] {
        a->get_future().wait();
        b->set_value();
        return std::this_thread::get_id();
    });
    EXPECT_NE(first.get(), std::this_thread::get_id());
    EXPECT_NE(second.get(), std::this_thread::get_id());
    auto thrown = sharedExecutor().submit([]() -> int { throw std::runtime_error("boom"); });
    EXPECT_THROW(thrown.get(), std::runtime_error);
    EXPECT_EQ(sharedExecutor().submit([] { return 7; }).get(), 7);
}

TEST(Executor, ZeroThreadsIsOneWorkerAndTheDestructorRunsEveryQueuedTask) {
    constexpr int kQueued = 500;
    std::vector<std::future<int>> futures;
    {
        Executor executor(0);
        EXPECT_EQ(executor.threadCount(), 1u);
        // The single worker waits at the gate, so everything after it stays queued.
        std::promise<void> gate;
        executor.submit([opened = gate.get_future()] { opened.wait(); });
        for (int i = 0; i < kQueued; ++i) futures.push_back(executor.submit([i] { return i; }));
        // Opened just before the destructor starts: most of the queue is still waiting then.
        gate.set_value();
    }
    for (int i = 0; i < kQueued; ++i) {
        auto& f = futures[static_cast<std::size_t>(i)];
        ASSERT_EQ(f.wait_for(std::chrono::seconds(0)), std::future_status::ready) << "task " << i;
        EXPECT_EQ(f.get(), i);
    }
}

}  // namespace
}  // namespace foundation
