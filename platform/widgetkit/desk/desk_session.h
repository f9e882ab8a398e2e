#pragma once
// What the desk knows before it has a window: the placed-widget store, the live model and the
// requests in flight. Made before GTK starts, so the first requests run, and their tiles are
// drawn, while the display is being opened; the window then takes the session over.
//
// The model is the main thread's (host::PlacedTimelines is not thread-safe); only answers cross
// threads, through the session's inbox. Each request runs on a thread of its own; the entries
// they bring are drawn one after another on the session's one drawing thread, so that all of them
// share one pango font map (pango's default map is per thread, and a new map matches and loads
// its fonts anew).

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/ui/render/render.h"
#include "platform/widgetkit/configuration.h"
#include "platform/widgetkit/desk/tile_texture.h"
#include "platform/widgetkit/host/placed_store.h"
#include "platform/widgetkit/host/placed_timelines.h"

namespace widgetkit::desk {

// A request's answer, with the entry it shows drawn already where the look was known.
struct DeskAnswer {
    std::string id;
    std::uint64_t generation = 0;
    std::optional<AnyTimeline> timeline;  // nullopt: the request failed
    // The entry showing when the answer came, drawn in `look`; nullopt when it could not be.
    struct Drawn {
        std::size_t index = 0;
        TileLook look;
        render::TilePixels pixels;
    };
    std::optional<Drawn> drawn;
};

class DeskSession {
public:
    // Loads the store and starts the first requests. `bundle` must live as long as the process.
    explicit DeskSession(const BundleDeclaration& bundle);
    // Waits for the entry being drawn, if any; answers still to come arrive undrawn.
    ~DeskSession();
    DeskSession(const DeskSession&) = delete;
    DeskSession& operator=(const DeskSession&) = delete;

    const BundleDeclaration& bundle() const { return bundle_; }
    std::optional<host::PlacedStore>& store() { return store_; }
    host::PlacedTimelines& model() { return model_; }

    // Starts the model's due requests at `now`, each on a thread of its own.
    void startRequests(foundation::Date now);

    // The answers posted since the last call, in posting order.
    std::vector<DeskAnswer> takeAnswers();

    // Called on a request's thread after each answer (the window schedules a pump); empty until
    // a window wants it.
    void setWake(std::function<void()> wake);

    // The look in which request threads draw the entries they bring (the window's, once known).
    void setLook(const TileLook& look);

    // Requests started and not yet answered, in this process.
    static std::size_t running();

private:
    // What request threads share with the main thread; held by both, so a request that returns
    // after the session is gone still has somewhere to post.
    struct Mailbox {
        std::mutex mutex;
        std::vector<DeskAnswer> answers;
        std::function<void()> wake;
        TileLook look;
    };

    // Answers waiting for the drawing thread, shared with the request threads.
    struct DrawQueue {
        struct Job {
            std::shared_ptr<Mailbox> mailbox;
            DeskAnswer answer;
            WidgetFamily family{};
        };
        std::mutex mutex;
        std::condition_variable ready;
        std::deque<Job> jobs;
        bool stopped = false;
    };

    // Posts `answer` (drawn or not) to `mailbox`, wakes the window and ends its request.
    static void deliver(Mailbox& mailbox, DeskAnswer answer);
    static void drawAll(const std::shared_ptr<DrawQueue>& queue);

    const BundleDeclaration& bundle_;
    std::optional<host::PlacedStore> store_;
    host::PlacedTimelines model_;
    std::shared_ptr<Mailbox> mailbox_ = std::make_shared<Mailbox>();
    std::shared_ptr<DrawQueue> drawQueue_ = std::make_shared<DrawQueue>();
    std::thread drawer_;
};

}  // namespace widgetkit::desk
