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
#include <unordered_set>

#include "platform/foundation/command.h"
#include "platform/foundation/file.h"
#include "platform/foundation/home.h"
#include "platform/foundation/json_reader.h"
#include "platform/foundation/json_writer.h"

namespace widgetkit::host {
namespace {

[[noreturn]] void corrupt(const std::string& path, const std::string& problem) {
    throw foundation::CommandError("the placed-widget store " + path + " " + problem +
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
    constexpr std::int64_t kLast = std::numeric_limits<std::int64_t>::max();
    std::int64_t id = nextId;
    for (const auto& w : widgets) {
        if (w.id.empty() ||
            !std::all_of(w.id.begin(), w.id.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            continue;
        }
        std::int64_t stored = 0;
        const auto [ptr, ec] = std::from_chars(w.id.data(), w.id.data() + w.id.size(), stored);
        if (ec == std::errc::result_out_of_range) stored = kLast;  // beyond every id there is
        if (stored >= id) id = stored == kLast ? kLast : stored + 1;
    }
    if (id == kLast) {
        throw foundation::CommandError("the placed-widget store has no ids left (widget " +
                                       std::to_string(kLast) + " or above is stored)");
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

std::optional<std::string> PlacedStore::read() const {
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) {
        if (errno == ENOENT) return std::nullopt;
        corrupt(path_, std::string("cannot be read: ") + std::strerror(errno));
    }
    auto bytes = foundation::readWholeFile(path_);
    if (!bytes) corrupt(path_, "is not a readable regular file of at most 4 MiB");
    return bytes;
}

PlacedWidgets PlacedStore::load() const {
    const auto bytes = read();
    return bytes ? decode(*bytes) : PlacedWidgets{};
}

PlacedWidgets PlacedStore::decode(std::string_view bytes) const {
    const auto document = foundation::JsonDocument::parse(bytes);
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
    placed.widgets.reserve(array->size());
    std::unordered_set<std::string> ids;
    for (const auto item : *array) {
        PlacedWidget w = decodeWidget(item);
        if (!ids.insert(w.id).second) corrupt(path_, "holds the id " + w.id + " twice");
        placed.widgets.push_back(std::move(w));
    }
    return placed;
}

PlacedWidget PlacedStore::decodeWidget(const foundation::JsonValue& item) const {
    const auto object = item.object();
    if (!object) corrupt(path_, "holds a widget that is not an object");
    auto text = [&](const char* name) -> std::optional<std::string> {
        const auto value = object->member(name);
        if (!value) return std::nullopt;
        const auto s = value->string();
        if (!s) corrupt(path_, std::string("holds a widget whose \"") + name + "\" is not text");
        return std::string(*s);
    };
    PlacedWidget w;
    auto id = text("id");
    auto kind = text("kind");
    const auto family = text("family");
    if (!id || !kind || !family) corrupt(path_, "holds a widget without id, kind or family");
    const auto parsedFamily = familyFromName(*family);
    if (!parsedFamily) corrupt(path_, "holds a widget of unknown family '" + *family + "'");
    w.id = std::move(*id);
    w.kind = std::move(*kind);
    w.family = *parsedFamily;
    w.area = text("area");
    return w;
}

foundation::FileDescriptor PlacedStore::lock() const {
    const std::string lockPath = path_ + ".lock";
    foundation::FileDescriptor lock(
        ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0600));
    if (lock.get() < 0) {
        const int error = errno;
        throw foundation::CommandError(
            "cannot open the lock " + lockPath + ": " +
            (error == ELOOP ? std::string("it is a symbolic link") : std::strerror(error)));
    }
    struct stat st {};
    if (::fstat(lock.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        throw foundation::CommandError("cannot open the lock " + lockPath +
                                       ": it is not a regular file");
    }
    int locked = 0;
    while ((locked = ::flock(lock.get(), LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
        throw foundation::CommandError("cannot lock " + lockPath + ": " + std::strerror(errno));
    }
    return lock;
}

PlacedWidgets PlacedStore::update(const std::function<void(PlacedWidgets&)>& change,
                                  const std::function<void(const PlacedWidgets&)>& confirm) const {
    if (const auto status = foundation::createDirectories(foundation::parentFolder(path_), 0700);
        !status) {
        throw foundation::CommandError(status.message());
    }
    // The lock is released when the descriptor closes, after the rename (or the rollback).
    const foundation::FileDescriptor held = lock();
    const std::optional<std::string> before = read();
    PlacedWidgets placed = before ? decode(*before) : PlacedWidgets{};
    change(placed);
    save(placed);
    if (!confirm) return placed;
    try {
        confirm(placed);
    } catch (const foundation::CommandError& e) {
        restore(before, e.what());
        throw;
    }
    return placed;
}

void PlacedStore::restore(const std::optional<std::string>& before, const std::string& why) const {
    foundation::Status status;
    if (before) {
        status = foundation::writeFileAtomically(path_, *before, 0600);
    } else if (::unlink(path_.c_str()) != 0 && errno != ENOENT) {
        status =
            foundation::Status::failure("cannot remove " + path_ + ": " + std::strerror(errno));
    }
    if (!status) {
        throw foundation::CommandError(
            why + "; the change stays, since taking it back failed: " + status.message());
    }
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
    if (!text)
        throw foundation::CommandError("cannot write " + path_ +
                                       ": an area name is not valid UTF-8");
    if (const auto status = foundation::createDirectories(foundation::parentFolder(path_), 0700);
        !status) {
        throw foundation::CommandError(status.message());
    }
    if (const auto status = foundation::writeFileAtomically(path_, *text + "\n", 0600); !status) {
        throw foundation::CommandError(status.message());
    }
}

}  // namespace widgetkit::host
