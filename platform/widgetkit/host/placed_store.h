#pragma once
// The host's record of placed widgets: which widget, in which family, with which stored
// configuration. One JSON file:
//
//   ${XDG_STATE_HOME:-~/.local/state}/brimlet-widgets/placed.json
//   {"nextId": 3, "widgets": [{"id": "1", "kind": "org.brimlet.Brimlet.breakdown",
//                              "family": "medium", "area": "work"}, ...]}
//
// `area` is left out while the widget holds no entity. Ids are decimal numbers handed out once
// and never reused. The file is replaced atomically on every change; a file that cannot be
// understood is never overwritten: loading it fails with the path and the problem.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/json_writer.h"
#include "platform/widgetkit/family.h"

namespace widgetkit::host {

struct PlacedWidget {
    std::string id;
    std::string kind;  // the full kind
    WidgetFamily family = WidgetFamily::systemSmall;
    std::optional<std::string> area;  // the stored entity identifier
};

// {"id", "kind", "family", "area"}, area left out when absent: one widget as the store and
// `placed --json` write it.
void writePlacedWidget(foundation::JsonWriter& json, const PlacedWidget& widget);

struct PlacedWidgets {
    std::int64_t nextId = 1;
    std::vector<PlacedWidget> widgets;

    PlacedWidget* find(const std::string& id);
};

class PlacedStore {
public:
    explicit PlacedStore(std::string path) : path_(std::move(path)) {}

    // ${XDG_STATE_HOME}/brimlet-widgets/placed.json when XDG_STATE_HOME is absolute, else
    // <home>/.local/state/brimlet-widgets/placed.json; nullopt without a home directory.
    static std::optional<std::string> defaultPath();

    const std::string& path() const { return path_; }

    // The stored widgets; none when the file does not exist. Throws Failure (naming the file
    // and what is wrong with it) when it exists but cannot be read or understood.
    PlacedWidgets load() const;

    // Replaces the file atomically, creating its folder (mode 0700) when missing. Throws Failure.
    void save(const PlacedWidgets& placed) const;

private:
    std::string path_;
};

}  // namespace widgetkit::host
