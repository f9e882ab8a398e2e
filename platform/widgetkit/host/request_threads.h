#pragma once
// Running a live host's requests off its own thread, and bringing the answers back to it.

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/widgetkit/host/placed_timelines.h"

namespace widgetkit::host {

// Answers waiting for the thread that owns a PlacedTimelines. Thread-safe.
class AnswerInbox {
public:
    struct Answer {
        std::string id;
        std::uint64_t generation = 0;
        std::optional<AnyTimeline> timeline;  // nullopt: the request failed
    };

    // `wake` runs on the posting thread after each post; it must be safe to call from any thread
    // (a front end schedules a call to take() on its own thread).
    explicit AnswerInbox(std::function<void()> wake) : wake_(std::move(wake)) {}

    void post(Answer answer);
    // Everything posted since the last call, in posting order.
    std::vector<Answer> take();

private:
    std::mutex mutex_;
    std::vector<Answer> answers_;
    std::function<void()> wake_;
};

// Asks for `ticket`'s timeline on a detached thread of its own and posts the answer (or the
// failure, when the provider throws) to `inbox`. Not the shared executor: a provider that blocks
// (statvfs on a dead network mount) holds only its own thread, and the asynchronous providers,
// which wait on the shared executor, can never wait on themselves. The ticket's declaration must
// live as long as the process.
void startRequest(PlacedTimelines::Ticket ticket, std::shared_ptr<AnswerInbox> inbox);

}  // namespace widgetkit::host
