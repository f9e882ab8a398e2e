#pragma once
// The shared concurrent executor: a fixed pool of worker threads on which asynchronous platform
// operations run.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

namespace foundation {

class Executor {
public:
    // Starts `threads` workers (at least one).
    explicit Executor(std::size_t threads);
    // Runs every task already submitted, then joins the workers.
    ~Executor();
    Executor(const Executor&) = delete;
    Executor& operator=(const Executor&) = delete;

    // Runs `work` on a worker; the future delivers its result (or its exception) exactly once.
    template <class F>
    auto submit(F work) -> std::future<std::invoke_result_t<F>> {
        using R = std::invoke_result_t<F>;
        auto task = std::make_shared<std::packaged_task<R()>>(std::move(work));
        auto future = task->get_future();
        enqueue([task] { (*task)(); });
        return future;
    }

    std::size_t threadCount() const { return workers_.size(); }

private:
    void enqueue(std::function<void()> job);
    void run();

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

// The process-wide pool: one thread per core, at least two. Built on first use and never
// destroyed, so that a task still running at exit never meets a dead pool.
Executor& sharedExecutor();

}  // namespace foundation
