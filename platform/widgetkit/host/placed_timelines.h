#pragma once
// The live host's model of the placed widgets: for each, its timeline, the entry showing now,
// the next moment it changes, and whether a request is in flight. It decides; it never waits,
// never starts a thread and never draws. A front end starts the requests it hands out (off its
// own thread), feeds their answers back, wakes at nextMoment(), and draws what shown() says.
//
// Not thread-safe: one thread (the front end's) owns it. Times are read by the caller from the
// platform clock and passed in, so that tests run the rules against a clock of their own.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/date.h"
#include "platform/widgetkit/configuration.h"
#include "platform/widgetkit/host/placed_store.h"
#include "platform/widgetkit/host/widget_requests.h"

namespace widgetkit::host {

// Seconds after which a request that has not answered counts as unanswered: its tile keeps what
// it shows, and the host stops waiting for it before a screenshot.
inline constexpr double kUnansweredAfter = 2;

class PlacedTimelines {
public:
    struct Tile {
        PlacedWidget placed;
        // Why the widget cannot be asked (a kind the bundle lacks, a family it does not
        // support); empty when it can.
        std::string problem;
        std::optional<AnyEntry> placeholder;
        // The latest timeline; nullopt until the first one arrives.
        std::optional<AnyTimeline> timeline;
        // Counts the timelines taken in, so a front end knows when to draw again.
        std::uint64_t revision = 0;
        // Counts changes of the stored family or area; an answer for an older one is dropped.
        std::uint64_t generation = 0;
        bool inFlight = false;
        foundation::Date requestStarted;
        std::uint64_t requestGeneration = 0;
        bool requestByPolicy = false;
        // An event asked for a reload; it starts once no request is in flight.
        bool reloadWanted = false;
        // True once any request (answered or failed) came back.
        bool answered = false;
        // The policy's next reload; nullopt: only an event.
        std::optional<foundation::Date> reloadAt;
        // When the latest request started, for any reason: the floor of the next policy reload.
        std::optional<foundation::Date> lastRequest;
    };

    // A request to start: run answer(RequestKind::timeline, request) and hand the result to
    // finish() with `id` and `generation`.
    struct Ticket {
        std::string id;
        std::uint64_t generation = 0;
        ResolvedRequest request;
    };

    // What shows on a tile: a timeline's entry (`live`), the placeholder, or nothing (a tile with
    // a problem). `revision` and `index` change exactly when the entry does.
    struct Shown {
        const AnyEntry* entry = nullptr;
        bool live = false;
        std::uint64_t revision = 0;
        std::size_t index = 0;
    };

    // `widgets` must outlive the model and every ticket it hands out.
    explicit PlacedTimelines(const TupleWidget& widgets) : widgets_(widgets) {}

    // Makes the tiles follow the store, in its order. A new widget gets a tile showing its
    // provider's placeholder (asked at once, on this thread) and wants a reload; a widget whose
    // family or area changed wants a reload; a removed one goes. Returns whether anything
    // changed.
    bool follow(const std::vector<PlacedWidget>& placed);

    // Events: every widget, or one, wants a reload. Any number of them before the next start()
    // give one request per widget.
    void reloadAll();
    void reload(const std::string& id);

    // The requests to start at `now`, and marks them in flight: each widget that wants a reload,
    // or whose policy moment has come, and has no request in flight.
    std::vector<Ticket> start(foundation::Date now);

    // Takes a request's answer (nullopt: it failed). Returns true when the tile shows something
    // new. An answer for an older generation, or for a widget gone, is dropped.
    bool finish(const std::string& id, std::uint64_t generation,
                std::optional<AnyTimeline> timeline, foundation::Date now);

    // The next moment at which something is due after `now`: an entry taking over, or a policy
    // reload of a widget with no request in flight. nullopt: nothing until an event.
    std::optional<foundation::Date> nextMoment(foundation::Date now) const;

    Shown shown(const std::string& id, foundation::Date now) const;

    // True when every tile has its first answer, cannot be asked, or has waited kUnansweredAfter
    // for it.
    bool settled(foundation::Date now) const;

    const std::vector<Tile>& tiles() const { return tiles_; }
    const Tile* find(const std::string& id) const;

private:
    Tile* findMutable(const std::string& id);
    void prepare(Tile& tile) const;

    const TupleWidget& widgets_;
    std::vector<Tile> tiles_;
};

}  // namespace widgetkit::host
