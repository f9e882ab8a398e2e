#include "platform/widgetkit/host/placed_timelines.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "platform/widgetkit/host/timeline_schedule.h"

namespace widgetkit::host {

using foundation::Date;

PlacedTimelines::Tile* PlacedTimelines::findMutable(const std::string& id) {
    for (auto& tile : tiles_) {
        if (tile.placed.id == id) return &tile;
    }
    return nullptr;
}

const PlacedTimelines::Tile* PlacedTimelines::find(const std::string& id) const {
    for (const auto& tile : tiles_) {
        if (tile.placed.id == id) return &tile;
    }
    return nullptr;
}

// Resolves the tile's request anew and asks for its placeholder.
void PlacedTimelines::prepare(Tile& tile) const {
    tile.problem.clear();
    tile.placeholder.reset();
    try {
        const ResolvedRequest request = resolvePlaced(widgets_, tile.placed);
        tile.placeholder = answer(RequestKind::placeholder, request).entries.front();
    } catch (const std::exception& e) {
        tile.problem = e.what();
    }
}

bool PlacedTimelines::follow(const std::vector<PlacedWidget>& placed) {
    bool changed = placed.size() != tiles_.size();
    std::vector<Tile> next;
    next.reserve(placed.size());
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const PlacedWidget& p = placed[i];
        Tile* old = findMutable(p.id);
        if (old == nullptr) {
            Tile tile;
            tile.placed = p;
            prepare(tile);
            tile.reloadWanted = tile.problem.empty();
            next.push_back(std::move(tile));
            changed = true;
            continue;
        }
        if (i >= tiles_.size() || tiles_[i].placed.id != p.id) changed = true;
        Tile tile = std::move(*old);
        old->placed.id.clear();  // taken; a duplicate id in the store makes a fresh tile
        if (tile.placed.kind != p.kind || tile.placed.family != p.family ||
            tile.placed.area != p.area) {
            const bool sameLook = tile.placed.kind == p.kind && tile.placed.family == p.family;
            tile.placed = p;
            tile.generation += 1;
            if (!sameLook) {
                // Another size or widget: what showed no longer fits the tile.
                tile.timeline.reset();
                tile.revision += 1;
                tile.answered = false;
                prepare(tile);
            }
            tile.reloadAt.reset();
            tile.reloadWanted = tile.problem.empty();
            changed = true;
        }
        next.push_back(std::move(tile));
    }
    tiles_ = std::move(next);
    return changed;
}

void PlacedTimelines::reloadAll() {
    for (auto& tile : tiles_) {
        if (tile.problem.empty()) tile.reloadWanted = true;
    }
}

void PlacedTimelines::reload(const std::string& id) {
    if (Tile* tile = findMutable(id); tile != nullptr && tile->problem.empty()) {
        tile->reloadWanted = true;
    }
}

std::vector<PlacedTimelines::Ticket> PlacedTimelines::start(Date now) {
    std::vector<Ticket> tickets;
    for (auto& tile : tiles_) {
        if (tile.inFlight || !tile.problem.empty()) continue;
        const bool byPolicy = !tile.reloadWanted && tile.reloadAt && *tile.reloadAt <= now;
        if (!tile.reloadWanted && !byPolicy) continue;
        ResolvedRequest request;
        try {
            request = resolvePlaced(widgets_, tile.placed);
        } catch (const std::exception& e) {
            tile.problem = e.what();
            continue;
        }
        tile.reloadWanted = false;
        tile.reloadAt.reset();
        tile.inFlight = true;
        tile.requestStarted = now;
        tile.requestGeneration = tile.generation;
        tile.requestByPolicy = byPolicy;
        tile.lastRequest = now;
        tickets.push_back(Ticket{tile.placed.id, tile.generation, std::move(request)});
    }
    return tickets;
}

bool PlacedTimelines::finish(const std::string& id, std::uint64_t generation,
                             std::optional<AnyTimeline> timeline, Date now) {
    Tile* tile = findMutable(id);
    if (tile == nullptr || !tile->inFlight || tile->requestGeneration != generation) return false;
    tile->inFlight = false;
    if (generation != tile->generation) return false;  // a newer configuration asks again
    tile->answered = true;
    if (!timeline) {
        // A failed request keeps what shows and tries again after the floor.
        tile->reloadAt = Date{now.secondsSinceReferenceDate + kMinimumReloadInterval};
        return false;
    }
    if (!tile->reloadWanted) {
        tile->reloadAt =
            policyReloadDate(timeline->policy, timeline->entries, now, tile->lastRequest);
    }
    tile->timeline = std::move(*timeline);
    tile->revision += 1;
    return true;
}

std::optional<Date> PlacedTimelines::nextMoment(Date now) const {
    std::optional<Date> next;
    const auto consider = [&next](Date d) {
        if (!next || d < *next) next = d;
    };
    for (const auto& tile : tiles_) {
        if (tile.timeline) {
            if (const auto d = nextEntryDate(tile.timeline->entries, now)) consider(*d);
        }
        if (!tile.inFlight && tile.reloadAt) consider(*tile.reloadAt);
    }
    return next;
}

PlacedTimelines::Shown PlacedTimelines::shown(const std::string& id, Date now) const {
    const Tile* tile = find(id);
    if (tile == nullptr) return {};
    if (tile->timeline) {
        if (const auto index = showingIndex(tile->timeline->entries, now)) {
            return Shown{&tile->timeline->entries[*index], true, tile->revision, *index};
        }
    }
    if (tile->placeholder) return Shown{&*tile->placeholder, false, tile->revision, 0};
    return Shown{nullptr, false, tile->revision, 0};
}

bool PlacedTimelines::settled(Date now) const {
    return std::all_of(tiles_.begin(), tiles_.end(), [now](const Tile& tile) {
        if (!tile.problem.empty() || tile.answered) return true;
        return tile.inFlight &&
               now.secondsSinceReferenceDate - tile.requestStarted.secondsSinceReferenceDate >=
                   kUnansweredAfter;
    });
}

}  // namespace widgetkit::host
