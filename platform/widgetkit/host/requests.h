#pragma once
// The host's commands, apart from the command line that selects them.

#include <iosfwd>
#include <optional>
#include <string>

#include "platform/ui/render/render.h"
#include "platform/widgetkit/configuration.h"
#include "platform/widgetkit/host/errors.h"
#include "platform/widgetkit/host/placed_store.h"
#include "platform/widgetkit/host/widget_requests.h"

namespace widgetkit::host {

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
    std::string output;  // a path, or "-" for standard output
    std::string format;  // png, svg, pdf or json; empty: by the output's extension (PNG for "-")
};

class Host {
public:
    // Answers go to `out`; notes that do not stop a command (an ad hoc area that no area
    // matches) go to `err`.
    Host(const TupleWidget& widgets, std::ostream& out, std::ostream& err)
        : widgets_(widgets), out_(out), err_(err) {}

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
    // nullptr when no widget of the bundle has that kind or last component.
    const WidgetConfiguration* widgetNamed(const std::string& name) const;
    const WidgetConfiguration& findWidget(const std::string& name) const;
    // The declaration of a stored widget; a kind this bundle does not know is the store's fault.
    const WidgetConfiguration& storedWidget(const PlacedStore& store, const PlacedWidget& w) const;
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
    std::ostream& err_;
};

// `directory` and `name` joined by exactly one '/'.
std::string joinPath(const std::string& directory, const std::string& name);

// "small and medium", "medium and large", "small, medium and large".
std::string familyList(const std::vector<WidgetFamily>& families);

}  // namespace widgetkit::host
