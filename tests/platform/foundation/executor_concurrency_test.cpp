#include "platform/foundation/executor.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

namespace foundation {
namespace {

constexpr int kSubmitters = 4;
constexpr int kTasksPerSubmitter = 250;
constexpr int kTasks = kSubmitters * kTasksPerSubmitter;

TEST(SharedExecutor, HasAtLeastTwoThreadsAndIsOneInstance) {
    EXPECT_GE(sharedExecutor().threadCount(), 2u);
    EXPECT_EQ(&sharedExecutor(), &sharedExecutor());
}

TEST(SharedExecutor, TasksFromSeveralThreadsEachRunOnceWithTheirResult) {
    // Every task counts its own runs, so a task run twice or never shows up here.
    auto runs = std::make_shared<std::array<std::atomic<int>, kTasks>>();
    for (auto& r : *runs) r.store(0);
    std::vector<std::vector<std::future<std::int64_t>>> futures(kSubmitters);

    std::vector<std::thread> submitters;
    for (int s = 0; s < kSubmitters; ++s) {
        submitters.emplace_back([s, runs, &mine = futures[static_cast<std::size_t>(s)]] {
            for (int i = 0; i < kTasksPerSubmitter; ++i) {
                const int id = s * kTasksPerSubmitter + i;
                mine.push_back(sharedExecutor().submit([id, runs] {
                    (*runs)[static_cast<std::size_t>(id)].fetch_add(1);
                    return std::int64_t{id} * id;
                }));
            }
        });
    }
    for (auto& t : submitters) t.join();

    for (int s = 0; s < kSubmitters; ++s) {
        auto& mine = futures[static_cast<std::size_t>(s)];
        ASSERT_EQ(mine.size(), static_cast<std::size_t>(kTasksPerSubmitter));
        for (int i = 0; i < kTasksPerSubmitter; ++i) {
            const std::int64_t id = s * kTasksPerSubmitter + i;
            auto& f = mine[static_cast<std::size_t>(i)];
            ASSERT_TRUE(f.valid());
            EXPECT_EQ(f.get(), id * id);
            EXPECT_FALSE(f.valid());  // delivered, and only once
        }
    }
    for (int id = 0; id < kTasks; ++id) {
        EXPECT_EQ((*runs)[static_cast<std::size_t>(id)].load(), 1) << "task " << id;
    }
}

TEST(SharedExecutor, TasksRunOnPoolThreadsConcurrently) {
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
        b->set_value();
        return std::this_thread::get_id();
    });
    a->get_future().wait();
    const auto t1 = first.get();
    const auto t2 = second.get();
    EXPECT_NE(t1, std::this_thread::get_id());
    EXPECT_NE(t2, std::this_thread::get_id());
}

TEST(SharedExecutor, AnExceptionTravelsThroughTheFuture) {
    auto f = sharedExecutor().submit([]() -> int { throw std::runtime_error("boom"); });
    EXPECT_THROW(f.get(), std::runtime_error);
    // The worker survives and keeps serving.
    EXPECT_EQ(sharedExecutor().submit([] { return 7; }).get(), 7);
}

TEST(Executor, DestructorRunsEveryQueuedTask) {
    constexpr int kQueued = 500;
    std::atomic<int> ran{0};
    std::vector<std::future<int>> futures;
    {
        Executor executor(1);
        EXPECT_EQ(executor.threadCount(), 1u);
        // The single worker waits at the gate, so everything after it stays queued.
        std::promise<void> gate;
        auto gateFuture = gate.get_future().share();
        futures.push_back(executor.submit([gateFuture] {
            gateFuture.wait();
            return -1;
        }));
        for (int i = 0; i < kQueued; ++i) {
            futures.push_back(executor.submit([i, &ran] {
                ran.fetch_add(1);
                return i;
            }));
        }
        // Opened just before the destructor starts: most of the queue is still waiting then.
        gate.set_value();
    }
    EXPECT_EQ(ran.load(), kQueued);
    ASSERT_EQ(futures.size(), static_cast<std::size_t>(kQueued + 1));
    EXPECT_EQ(futures[0].get(), -1);
    for (int i = 0; i < kQueued; ++i) {
        auto& f = futures[static_cast<std::size_t>(i + 1)];
        ASSERT_EQ(f.wait_for(std::chrono::seconds(0)), std::future_status::ready) << "task " << i;
        EXPECT_EQ(f.get(), i);
    }
}

TEST(Executor, ZeroThreadsStillGivesOneWorker) {
    Executor executor(0);
    EXPECT_EQ(executor.threadCount(), 1u);
    EXPECT_EQ(executor.submit([] { return 3; }).get(), 3);
}

TEST(Executor, ConcurrentSubmittersToAPrivatePoolWhileItDrains) {
    std::atomic<int> ran{0};
    {
        Executor executor(3);
        std::vector<std::thread> submitters;
        for (int s = 0; s < kSubmitters; ++s) {
            submitters.emplace_back([&executor, &ran] {
                for (int i = 0; i < kTasksPerSubmitter; ++i) {
                    executor.submit([&ran] { ran.fetch_add(1); });
                }
            });
        }
        for (auto& t : submitters) t.join();
    }
    EXPECT_EQ(ran.load(), kTasks);
}

}  // namespace
}  // namespace foundation
