#pragma once
// The host's commands, apart from the command line that selects them. Each command either does
// all it says or throws foundation::CommandError: status 2 for bad arguments, 1 for what could not
// be done, with nothing changed; the command boundary turns it into one line on standard error.
// Every name from data that a command writes as text goes through foundation::escapeForTerminal.

#include <iosfwd>
#include <optional>
#include <string>

#include "platform/foundation/command.h"
#include "platform/ui/render/render.h"
#include "platform/widgetkit/configuration.h"
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
    RequestKind request = RequestKind::timeline;  // the first entry of its answer is drawn
    ui::ColorScheme appearance = ui::ColorScheme::light;
    ui::RenderingMode rendering = ui::RenderingMode::fullColor;
    double scale = 2;    // pixels per point for PNG
    std::string output;  // a path, or "-" for standard output
    // nullopt: by the output's extension, PNG for "-".
    std::optional<render::Format> format;
};

class Host {
public:
    // Answers go to `out`; notes that do not stop a command (an ad hoc area that no area
    // matches) go to `err`.
    Host(const TupleWidget& widgets, std::ostream& out, std::ostream& err)
        : widgets_(widgets), out_(out), err_(err) {}

    void list(bool json);
    void request(RequestKind kind, const Request& request);
    void render(const Request& request, const RenderOptions& options);
    void gallery(const std::string& directory);
    void areas(bool json);
    void place(const std::string& widget, const std::string& family);
    void placed(bool json);
    void configure(const std::string& id, const std::string& area);
    void remove(const std::string& id);

private:
    PlacedStore store() const;
    // Writes `text` to the answer stream and flushes it. Throws foundation::CommandError, whose
    // message ends with `otherwise`, when it does not arrive, so that the store's change it
    // reports is taken back.
    void confirm(const std::string& text, const std::string& otherwise) const;
    // One placed widget as `placed` lists it, names escaped, with its newline.
    static std::string placedLine(const PlacedWidget& widget);
    const WidgetConfiguration& findWidget(const std::string& name) const;
    const WidgetConfiguration& configurableWidget() const;
    WidgetFamily familyFor(const WidgetConfiguration& widget, const std::string& name) const;
    ResolvedRequest resolve(const Request& request) const;
    // The first entry of the provider's answer. Throws foundation::CommandError when there is none.
    static AnyEntry firstEntry(RequestKind kind, const ResolvedRequest& request);
    static render::TileOptions tileOptions(WidgetFamily family, const RenderOptions& options);
    // Draws `entry` in `family` to `path` (format by extension), atomically. Throws
    // foundation::CommandError.
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
