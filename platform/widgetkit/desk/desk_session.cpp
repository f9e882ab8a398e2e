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
    : bundle_(bundle), model_(bundle.widgets) {
    if (auto path = host::PlacedStore::defaultPath()) store_.emplace(std::move(*path));
    try {
        if (store_) model_.follow(store_->load().widgets);
    } catch (const std::exception&) {
        // The window reads the store again and says what is wrong with it.
    }
    startRequests(foundation::Date::now());
}

void DeskSession::startRequests(foundation::Date now) {
    for (auto& ticket : model_.start(now)) {
        TileLook look;
        {
            const std::lock_guard lock(mailbox_->mutex);
            look = mailbox_->look;
        }
        runningRequests.fetch_add(1);
        // Not the shared executor: a provider that blocks (statvfs on a dead network mount)
        // holds only its own thread. The ticket's declaration lives as long as the process.
        std::thread([mailbox = mailbox_, ticket = std::move(ticket), look] {
            DeskAnswer answer{ticket.id, ticket.generation, std::nullopt, std::nullopt};
            try {
                answer.timeline = host::answer(host::RequestKind::timeline, ticket.request);
                answer.drawn = drawShowing(*answer.timeline, ticket.request.context.family, look,
                                           foundation::Date::now());
            } catch (const std::exception&) {
                // Folded into "no answer": the tile keeps what it shows.
            }
            std::function<void()> wake;
            {
                const std::lock_guard lock(mailbox->mutex);
                mailbox->answers.push_back(std::move(answer));
                wake = mailbox->wake;
            }
            if (wake) wake();
            runningRequests.fetch_sub(1);
        }).detach();
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
