#include "platform/foundation/executor.h"

#include <algorithm>

namespace foundation {

Executor::Executor(std::size_t threads) {
    const std::size_t n = std::max<std::size_t>(threads, 1);
    workers_.reserve(n);
    for (std::size_t i = 0; i < n; ++i) workers_.emplace_back([this] { run(); });
}

Executor::~Executor() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    ready_.notify_all();
    for (auto& worker : workers_) worker.join();
}

void Executor::enqueue(std::function<void()> job) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    ready_.notify_one();
}

void Executor::run() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            ready_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty()) return;  // stopping, and nothing left to run
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
    }
}

Executor& sharedExecutor() {
    // Leaked on purpose: pool threads may still touch it while static destructors run.
    static Executor* const pool =
        new Executor(std::max<std::size_t>(std::thread::hardware_concurrency(), 2));
    return *pool;
}

}  // namespace foundation
