#pragma once
// Work that may block (a provider, a file on a dead mount) runs on a thread of its own; its result
// comes back on the GTK main thread, to a receiver that may have gone in the meantime.

#include <glibmm/main.h>

#include <exception>
#include <memory>
#include <optional>
#include <thread>
#include <utility>

namespace widgetkit::desk {

// A receiver's lifetime as background work sees it: results for a receiver that is gone are
// dropped on the main thread. Owned by the receiver; main thread only.
class Lifetime {
public:
    Lifetime() : alive_(std::make_shared<bool>(true)) {}
    ~Lifetime() { *alive_ = false; }
    Lifetime(const Lifetime&) = delete;
    Lifetime& operator=(const Lifetime&) = delete;
    std::weak_ptr<bool> token() const { return alive_; }

private:
    std::shared_ptr<bool> alive_;
};

// Runs `work()` on a detached thread and then `done(result)` on the main loop, if `lifetime`'s
// receiver is still there; a `work` that throws gives nullopt. Not the shared executor: work that
// blocks holds only its own thread. `work` must not touch GTK.
template <class Work, class Done>
void runInBackground(const Lifetime& lifetime, Work work, Done done) {
    using Result = decltype(work());
    std::thread([token = lifetime.token(), work = std::move(work),
                 done = std::move(done)]() mutable {
        auto result = std::make_shared<std::optional<Result>>();
        try {
            result->emplace(work());
        } catch (const std::exception&) {
        }
        Glib::MainContext::get_default()->invoke([token, result, done]() mutable {
            if (const auto alive = token.lock(); alive && *alive) done(std::move(*result));
            return false;
        });
    }).detach();
}

}  // namespace widgetkit::desk
