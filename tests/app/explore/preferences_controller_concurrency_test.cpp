// "Scan every day" requests meeting calls in flight, with a user manager that answers only when
// let (no bus: this binary runs under ThreadSanitizer, which cannot see GLib's own locks).

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "app/explore/preferences_controller.h"
#include "tests/support/scratch.h"

namespace brimlet {
namespace {

using brimlet_test::ScratchDir;

// A user manager whose calls wait at a gate; it records them and how many ran at once.
class HeldManager {
public:
    ScheduleState answer(ScheduleRequest request) {
        const int inFlight = ++inFlight_;
        std::unique_lock lock(mutex_);
        overlapped_ = overlapped_ || inFlight > 1;
        calls_.push_back(request);
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
        if (request != ScheduleRequest::read) enabled_ = request == ScheduleRequest::enable;
        --inFlight_;
        return {true, {}, enabled_, std::nullopt};
    }
    void waitForCalls(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return calls_.size() >= count; });
    }
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    std::vector<ScheduleRequest> calls() {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    bool overlapped() {
        std::lock_guard lock(mutex_);
        return overlapped_;
    }

private:
    std::atomic<int> inFlight_{0};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<ScheduleRequest> calls_;
    bool open_ = false, enabled_ = false, overlapped_ = false;
};

struct Held {
    explicit Held(bool open = false) {
        if (open) manager.open();
    }
    // Waits until nothing is in flight or queued and at least `answers` calls have ended.
    ScheduleState settled(int answers) {
        std::unique_lock lock(mutex);
        ended.wait(lock, [&] { return ends >= answers && !controller.scheduleView().busy; });
        return *controller.scheduleView().state;
    }
    ScratchDir scratch;
    HeldManager manager;
    std::mutex mutex;
    std::condition_variable ended;
    int ends = 0;
    PreferencesController controller{scratch / "brimlet.conf",
                                     [this](ScheduleRequest r) { return manager.answer(r); },
                                     [this] {
                                         std::lock_guard lock(mutex);
                                         ++ends;
                                         ended.notify_all();
                                     }};
};

// While "on" is in flight: off, on, off and a refresh leave one call, the last change; a refresh
// never displaces a change.
TEST(PreferencesControllerConcurrency, RequestsMeetingACallInFlightAreCoalesced) {
    Held h;
    h.controller.setScanDaily(true);
    h.manager.waitForCalls(1);
    for (const bool on : {false, true, false}) h.controller.setScanDaily(on);
    h.controller.refreshSchedule();
    EXPECT_TRUE(h.controller.scheduleView().busy);
    EXPECT_FALSE(h.controller.scheduleView().state.has_value());
    h.manager.open();
    EXPECT_FALSE(h.settled(2).enabled);
    EXPECT_EQ(h.manager.calls(),
              (std::vector<ScheduleRequest>{ScheduleRequest::enable, ScheduleRequest::disable}));
}

// Threads asking at once: the manager never sees two calls together, and the last request made
// after they have all finished decides what is shown.
TEST(PreferencesControllerConcurrency, ManyCallersNeverOverlapCallsAndTheLastRequestWins) {
    Held h(true);
    std::vector<std::thread> callers;
    for (int t = 0; t < 4; ++t) {
        callers.emplace_back([&h, t] {
            for (int i = 0; i < 200; ++i) {
                if ((i + t) % 3 == 0) h.controller.refreshSchedule();
                if ((i + t) % 3 == 1) h.controller.setScanDaily(i % 2 == 0);
                if ((i + t) % 3 == 2) (void)h.controller.scheduleView();
            }
        });
    }
    for (std::thread& c : callers) c.join();
    h.controller.setScanDaily(true);
    EXPECT_TRUE(h.settled(1).enabled);
    EXPECT_FALSE(h.manager.overlapped());
    EXPECT_EQ(h.manager.calls().back(), ScheduleRequest::enable);
}

}  // namespace
}  // namespace brimlet
