#pragma once
// One piece of work at a time on a thread of its own, for a window that must not wait on the
// file system: the work runs there, and what it hands back runs on the main loop afterwards.

#include <glibmm/dispatcher.h>

#include <functional>
#include <mutex>
#include <thread>

namespace brimlet::gui {

class BackgroundCall {
public:
    // Created on the main loop's thread, which the results are handed to.
    BackgroundCall();
    // Waits for running work; what it hands back is then dropped, never run.
    ~BackgroundCall();
    BackgroundCall(const BackgroundCall&) = delete;
    BackgroundCall& operator=(const BackgroundCall&) = delete;

    // Runs `work` on a new thread; the function it returns (may be empty) runs on the main loop
    // once it has returned. `work` must not throw, and touches nothing the main loop changes.
    // False (and nothing runs) while earlier work has not been handed back yet.
    bool run(std::function<std::function<void()>()> work);
    // From run() until the result has run on the main loop.
    bool running() const { return running_; }

private:
    void onDone();

    Glib::Dispatcher done_;
    std::thread thread_;
    std::mutex mutex_;            // guards then_
    std::function<void()> then_;  // written by the thread, taken by the main loop
    bool running_ = false;        // main loop only
};

}  // namespace brimlet::gui
