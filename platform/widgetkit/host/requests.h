#pragma once
// The host's commands, apart from the command line that selects them.

#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/ui/render/render.h"
#include "platform/widgetkit/configuration.h"
#include "platform/widgetkit/host/placed_store.h"
#include "platform/widgetkit/host/widget_requests.h"

namespace widgetkit::host {

// Bad arguments: exit status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// Something could not be done (a write failed, the store is corrupt): exit status 1.
struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One placeholder, snapshot, timeline or render request.
struct Request {
    std::string widget;               // a kind or its last component; empty with placedId
    std::string family;               // empty: the placed widget's, else the first supported
    std::optional<std::string> area;  // ad hoc entity identifier, used as given
    std::string placedId;             // non-empty: answer for this placed widget
    bool preview = false;
};

struct RenderOptions {
    std::string request = "timeline";
    std::string appearance = "light";
    std::string rendering = "full-color";
    double scale = 2;
    std::string output;
};

class Host {
public:
    Host(const TupleWidget& widgets, std::ostream& out) : widgets_(widgets), out_(out) {}

    int list(bool json);
    int request(const std::string& kind, const Request& request);
    int render(const Request& request, const RenderOptions& options);
    int gallery(const std::string& directory);
    int areas(bool json);
    int place(const std::string& widget, const std::string& family);
    int placed(bool json);
    int configure(const std::string& id, const std::string& area);
    int remove(const std::string& id);

private:
    using Resolved = ResolvedRequest;

    PlacedStore store() const;
    const WidgetConfiguration& findWidget(const std::string& name) const;
    const WidgetConfiguration& configurableWidget() const;
    WidgetFamily familyFor(const WidgetConfiguration& widget, const std::string& name) const;
    Resolved resolve(const Request& request) const;
    AnyTimeline answer(const std::string& kind, const Resolved& resolved) const;
    static render::TileOptions tileOptions(WidgetFamily family, const RenderOptions& options);
    // Draws `entry` in `family` to `path` (format by extension), atomically. Throws Failure.
    void draw(const AnyEntry& entry, WidgetFamily family, const RenderOptions& options,
              const std::string& path) const;

    const TupleWidget& widgets_;
    std::ostream& out_;
};

// "small and medium", "medium and large", "small, medium and large".
std::string familyList(const std::vector<WidgetFamily>& families);

}  // namespace widgetkit::host
