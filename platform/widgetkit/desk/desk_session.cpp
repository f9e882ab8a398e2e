#include "platform/widgetkit/desk/desk_session.h"

#include <exception>
#include <thread>
#include <utility>

#include "platform/widgetkit/host/timeline_schedule.h"
#include "platform/widgetkit/host/widget_requests.h"
#include "platform/widgetkit/host/widget_tile.h"

namespace widgetkit::desk {
namespace {

std::atomic<std::size_t> runningRequests{0};

// The entry of `timeline` that shows at `now`, drawn for `family` in `look`.
std::optional<DeskAnswer::Drawn> drawShowing(const AnyTimeline& timeline, WidgetFamily family,
                                             const TileLook& look, foundation::Date now) {
    const auto index = host::showingIndex(timeline.entries, now);
    if (!index || !timeline.entries[*index].content) return std::nullopt;
    render::TileOptions options =
        host::tileFor(family, look.scale, look.appearance, look.rendering);
    DeskAnswer::Drawn drawn{*index, look, {}};
    if (!render::renderTilePixels(timeline.entries[*index].content(), options, drawn.pixels,
                                  host::environmentFor(family))) {
        return std::nullopt;
    }
    return drawn;
}

}  // namespace

DeskSession::DeskSession(const BundleDeclaration& bundle)
    : bundle_(bundle), model_(bundle.widgets), drawer_(drawAll, drawQueue_) {
    if (auto path = host::PlacedStore::defaultPath()) store_.emplace(std::move(*path));
    try {
        if (store_) model_.follow(store_->load().widgets);
    } catch (const std::exception&) {
        // The window reads the store again and says what is wrong with it.
    }
    startRequests(foundation::Date::now());
}

DeskSession::~DeskSession() {
    {
        const std::lock_guard lock(drawQueue_->mutex);
        drawQueue_->stopped = true;
    }
    drawQueue_->ready.notify_one();
    drawer_.join();
}

void DeskSession::startRequests(foundation::Date now) {
    for (auto& ticket : model_.start(now)) {
        runningRequests.fetch_add(1);
        // Not the shared executor: a provider that blocks (statvfs on a dead network mount)
        // holds only its own thread. The ticket's declaration lives as long as the process.
        std::thread([mailbox = mailbox_, queue = drawQueue_, ticket = std::move(ticket)] {
            DeskAnswer answer{ticket.id, ticket.generation, std::nullopt, std::nullopt};
            try {
                answer.timeline = host::answer(host::RequestKind::timeline, ticket.request);
            } catch (const std::exception&) {
                // Folded into "no answer": the tile keeps what it shows.
            }
            if (answer.timeline) {
                std::unique_lock lock(queue->mutex);
                if (!queue->stopped) {
                    queue->jobs.push_back(
                        {mailbox, std::move(answer), ticket.request.context.family});
                    lock.unlock();
                    queue->ready.notify_one();
                    return;
                }
            }
            deliver(*mailbox, std::move(answer));
        }).detach();
    }
}

void DeskSession::deliver(Mailbox& mailbox, DeskAnswer answer) {
    std::function<void()> wake;
    {
        const std::lock_guard lock(mailbox.mutex);
        mailbox.answers.push_back(std::move(answer));
        wake = mailbox.wake;
    }
    if (wake) wake();
    runningRequests.fetch_sub(1);
}

// The drawing thread: each answer's showing entry drawn in the look of the moment. Once the
// session is stopping, what is left goes out undrawn.
void DeskSession::drawAll(const std::shared_ptr<DrawQueue>& queue) {
    std::unique_lock lock(queue->mutex);
    for (;;) {
        queue->ready.wait(lock, [&] { return queue->stopped || !queue->jobs.empty(); });
        if (queue->jobs.empty()) return;
        DrawQueue::Job job = std::move(queue->jobs.front());
        queue->jobs.pop_front();
        const bool draw = !queue->stopped;
        lock.unlock();
        if (draw) {
            TileLook look;
            {
                const std::lock_guard mailboxLock(job.mailbox->mutex);
                look = job.mailbox->look;
            }
            try {
                job.answer.drawn =
                    drawShowing(*job.answer.timeline, job.family, look, foundation::Date::now());
            } catch (const std::exception&) {
                // Drawn on the main thread instead.
            }
        }
        deliver(*job.mailbox, std::move(job.answer));
        lock.lock();
    }
}

std::vector<DeskAnswer> DeskSession::takeAnswers() {
    const std::lock_guard lock(mailbox_->mutex);
    return std::exchange(mailbox_->answers, {});
}

void DeskSession::setWake(std::function<void()> wake) {
    const std::lock_guard lock(mailbox_->mutex);
    mailbox_->wake = std::move(wake);
}

void DeskSession::setLook(const TileLook& look) {
    const std::lock_guard lock(mailbox_->mutex);
    mailbox_->look = look;
}

std::size_t DeskSession::running() { return runningRequests.load(); }

}  // namespace widgetkit::desk
