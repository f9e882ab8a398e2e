#include "platform/widgetkit/host/request_threads.h"

#include <exception>
#include <thread>
#include <utility>

namespace widgetkit::host {

void AnswerInbox::post(Answer answer) {
    {
        const std::lock_guard lock(mutex_);
        answers_.push_back(std::move(answer));
    }
    if (wake_) wake_();
}

std::vector<AnswerInbox::Answer> AnswerInbox::take() {
    const std::lock_guard lock(mutex_);
    return std::exchange(answers_, {});
}

void startRequest(PlacedTimelines::Ticket ticket, std::shared_ptr<AnswerInbox> inbox) {
    std::thread([ticket = std::move(ticket), inbox = std::move(inbox)] {
        std::optional<AnyTimeline> timeline;
        try {
            timeline = answer(RequestKind::timeline, ticket.request);
        } catch (const std::exception&) {
            // Folded into "no answer": the tile keeps what it shows.
        }
        inbox->post(AnswerInbox::Answer{ticket.id, ticket.generation, std::move(timeline)});
    }).detach();
}

}  // namespace widgetkit::host
