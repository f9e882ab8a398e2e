#pragma once
// The host's record of placed widgets: which widget, in which family, with which stored
// configuration. One JSON file:
//
//   ${XDG_STATE_HOME:-~/.local/state}/brimlet-widgets/placed.json
//   {"nextId": 3, "widgets": [{"id": "1", "kind": "org.brimlet.Brimlet.breakdown",
//                              "family": "medium", "area": "work"}, ...]}
//
// `area` is left out while the widget holds no entity. Ids are decimal numbers handed out once
// and never reused. The file is replaced atomically on every change, and every change (read,
// change, write, rename) happens under an exclusive flock on `placed.json.lock` beside it, so
// any number of processes (brimlet-widgets, the desk) may change it at once without losing a
// widget. Readers take no lock: they see the old file or the new one. A file that cannot be
// understood is never overwritten: loading it fails with the path and the problem.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/file.h"
#include "platform/foundation/json_reader.h"
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
    const PlacedWidget* find(const std::string& id) const;

    // A new id, above every stored decimal id and at least nextId (whatever a hand-edited file
    // says), and moves nextId past it. Throws foundation::CommandError when no id is left: a
    // stored id or nextId of 2^63 - 1 or more.
    std::string newId();
};

class PlacedStore {
public:
    explicit PlacedStore(std::string path) : path_(std::move(path)) {}

    // ${XDG_STATE_HOME}/brimlet-widgets/placed.json when XDG_STATE_HOME is absolute, else
    // <home>/.local/state/brimlet-widgets/placed.json; nullopt without a home directory.
    static std::optional<std::string> defaultPath();

    const std::string& path() const { return path_; }

    // The stored widgets; none when the file does not exist. Throws foundation::CommandError
    // (naming the file and what is wrong with it) when it exists but cannot be read or understood.
    PlacedWidgets load() const;

    // Loads the widgets, lets `change` change them and saves the result, then calls `confirm`
    // with what was saved (when given), all under the store's exclusive lock; returns what was
    // saved. When `change` or the load throws, nothing is written. When `confirm` throws a
    // foundation::CommandError (the answer that reports the change could not be delivered), the
    // file is put back byte for byte as it was (removed when there was none) before the lock is
    // released, and the error goes on. Creates the folder (mode 0700) when missing. The lock
    // file, "placed.json.lock" beside the store, is opened with O_NOFOLLOW: a symbolic link there
    // is refused. Linear in the size of the store. Throws foundation::CommandError.
    PlacedWidgets update(const std::function<void(PlacedWidgets&)>& change,
                         const std::function<void(const PlacedWidgets&)>& confirm = {}) const;

    // Replaces the file atomically, creating its folder (mode 0700) when missing. Throws
    // foundation::CommandError. Takes no lock: changes go through update().
    void save(const PlacedWidgets& placed) const;

private:
    // The file's bytes, nullopt when there is none. Throws when it cannot be read.
    std::optional<std::string> read() const;
    PlacedWidgets decode(std::string_view bytes) const;
    PlacedWidget decodeWidget(const foundation::JsonValue& item) const;
    // Opens and locks the lock file; the lock lasts as long as the descriptor.
    foundation::FileDescriptor lock() const;
    // Puts back the file's earlier bytes, or removes it when `before` is nullopt. Throws,
    // adding to `why`, when that fails.
    void restore(const std::optional<std::string>& before, const std::string& why) const;

    std::string path_;
};

}  // namespace widgetkit::host
