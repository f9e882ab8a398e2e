#include "platform/widgetkit/host/placed_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/foundation/file.h"
#include "platform/foundation/home.h"
#include "platform/foundation/json_reader.h"
#include "platform/foundation/json_writer.h"
#include "platform/widgetkit/host/errors.h"

namespace widgetkit::host {
namespace {

[[noreturn]] void corrupt(const std::string& path, const std::string& problem) {
    throw Failure("the placed-widget store " + path + " " + problem +
                  "; it was left as it is (move it away to start afresh)");
}

}  // namespace

void writePlacedWidget(foundation::JsonWriter& json, const PlacedWidget& widget) {
    json.beginObject();
    json.member("id", widget.id);
    json.member("kind", widget.kind);
    json.member("family", familyName(widget.family));
    if (widget.area) json.member("area", *widget.area);
    json.endObject();
}

PlacedWidget* PlacedWidgets::find(const std::string& id) {
    for (auto& w : widgets) {
        if (w.id == id) return &w;
    }
    return nullptr;
}

const PlacedWidget* PlacedWidgets::find(const std::string& id) const {
    return const_cast<PlacedWidgets*>(this)->find(id);
}

std::string PlacedWidgets::newId() {
    std::int64_t id = nextId;
    for (const auto& w : widgets) {
        std::int64_t stored = 0;
        const char* end = w.id.data() + w.id.size();
        const auto [ptr, ec] = std::from_chars(w.id.data(), end, stored);
        // The highest id stored leaves none above it: one past the last, refused below.
        if (ec == std::errc() && ptr == end && stored >= id) {
            id = std::min(stored, std::numeric_limits<std::int64_t>::max() - 1) + 1;
        }
    }
    if (id == std::numeric_limits<std::int64_t>::max()) {
        throw Failure("the placed-widget store has no ids left");
    }
    nextId = id + 1;
    return std::to_string(id);
}

std::optional<std::string> PlacedStore::defaultPath() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && state[0] == '/') {
        return std::string(state) + "/brimlet-widgets/placed.json";
    }
    const auto home = foundation::homeDirectory();
    if (!home) return std::nullopt;
    return *home + "/.local/state/brimlet-widgets/placed.json";
}

PlacedWidgets PlacedStore::load() const {
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) {
        if (errno == ENOENT) return {};
        corrupt(path_, std::string("cannot be read: ") + std::strerror(errno));
    }
    const auto bytes = foundation::readWholeFile(path_);
    if (!bytes) corrupt(path_, "is not a readable regular file of at most 4 MiB");
    const auto document = foundation::JsonDocument::parse(*bytes);
    if (!document) corrupt(path_, "is not valid JSON");
    const auto root = document->root();

    PlacedWidgets placed;
    const auto nextId = root.member("nextId");
    if (!nextId || !nextId->int64() || *nextId->int64() < 1) {
        corrupt(path_, "has no valid \"nextId\"");
    }
    placed.nextId = *nextId->int64();
    const auto list = root.member("widgets");
    const auto array = list ? list->array() : std::nullopt;
    if (!array) corrupt(path_, "has no \"widgets\" list");
    for (const auto item : *array) {
        const auto object = item.object();
        if (!object) corrupt(path_, "holds a widget that is not an object");
        auto text = [&](const char* name) -> std::optional<std::string> {
            const auto value = object->member(name);
            if (!value) return std::nullopt;
            const auto s = value->string();
            if (!s)
                corrupt(path_, std::string("holds a widget whose \"") + name + "\" is not text");
            return std::string(*s);
        };
        PlacedWidget w;
        const auto id = text("id");
        const auto kind = text("kind");
        const auto family = text("family");
        if (!id || !kind || !family) corrupt(path_, "holds a widget without id, kind or family");
        const auto parsedFamily = familyFromName(*family);
        if (!parsedFamily) corrupt(path_, "holds a widget of unknown family '" + *family + "'");
        w.id = *id;
        w.kind = *kind;
        w.family = *parsedFamily;
        w.area = text("area");
        if (placed.find(w.id) != nullptr) corrupt(path_, "holds the id " + w.id + " twice");
        placed.widgets.push_back(std::move(w));
    }
    return placed;
}

PlacedWidgets PlacedStore::update(const std::function<void(PlacedWidgets&)>& change) const {
    const auto folder = path_.substr(0, path_.rfind('/'));
    if (const auto status = foundation::createDirectories(folder, 0700); !status) {
        throw Failure(status.message());
    }
    const std::string lockPath = path_ + ".lock";
    const foundation::FileDescriptor lock(
        ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600));
    if (lock.get() < 0) {
        throw Failure("cannot open the lock " + lockPath + ": " + std::strerror(errno));
    }
    int locked = 0;
    while ((locked = ::flock(lock.get(), LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0) throw Failure("cannot lock " + lockPath + ": " + std::strerror(errno));
    // The lock is released when the descriptor closes, after the rename.
    PlacedWidgets placed = load();
    change(placed);
    save(placed);
    return placed;
}

void PlacedStore::save(const PlacedWidgets& placed) const {
    foundation::JsonWriter json(2);
    json.beginObject();
    json.member("nextId", placed.nextId);
    json.key("widgets").beginArray();
    for (const auto& w : placed.widgets) writePlacedWidget(json, w);
    json.endArray();
    json.endObject();
    const auto text = json.result();
    if (!text) throw Failure("cannot write " + path_ + ": an area name is not valid UTF-8");
    const auto folder = path_.substr(0, path_.rfind('/'));
    if (const auto status = foundation::createDirectories(folder, 0700); !status) {
        throw Failure(status.message());
    }
    if (const auto status = foundation::writeFileAtomically(path_, *text + "\n", 0600); !status) {
        throw Failure(status.message());
    }
}

}  // namespace widgetkit::host
