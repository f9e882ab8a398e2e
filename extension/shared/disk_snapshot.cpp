#include "extension/shared/disk_snapshot.h"

#include <array>
#include <utility>

#include "platform/foundation/json_reader.h"
#include "platform/foundation/json_writer.h"

namespace brimlet {
namespace {

using foundation::JsonValue;
using foundation::JsonWriter;

// ---- Decoding: one `read` per JSON form. Each returns false on any mismatch, and the caller
// drops the whole document.

bool read(const JsonValue& v, std::string& out);
bool read(const JsonValue& v, std::int64_t& out);
bool read(const JsonValue& v, double& out);
bool read(const JsonValue& v, foundation::Date& out);
bool read(const JsonValue& v, DiskSnapshot::Item& out);
bool read(const JsonValue& v, DiskSnapshot::Area& out);
template <class T>
bool read(const JsonValue& v, std::vector<T>& out);

using Member = std::optional<JsonValue>;

// A required member: present, not null, and of its JSON form (null is no JSON form of any field,
// so `read` rejects it).
template <class T>
bool required(const Member& value, T& out) {
    return value && read(*value, out);
}

// An optional member: missing and null both leave `out` absent; anything else must be of its
// JSON form.
template <class T>
bool optional(const Member& value, std::optional<T>& out) {
    if (!value || value->isNull()) {
        out.reset();
        return true;
    }
    T decoded{};
    if (!read(*value, decoded)) return false;
    out = std::move(decoded);
    return true;
}

// Each record's members, in field order, looked up in one pass (the first of duplicates wins).
constexpr std::array<std::string_view, 2> kItemMembers = {"name", "size"};
constexpr std::array<std::string_view, 4> kAreaMembers = {"name", "total", "topFolders",
                                                          "topKinds"};
constexpr std::array<std::string_view, 10> kSnapshotMembers = {
    "generatedAt", "volumeName", "usedFraction", "used",  "free",
    "total",       "topFolders", "topKinds",     "areas", "rootName"};

bool read(const JsonValue& v, std::string& out) {
    const auto text = v.string();
    if (!text) return false;
    out.assign(*text);  // the full length: an escaped NUL stays inside
    return true;
}

bool read(const JsonValue& v, std::int64_t& out) {
    const auto number = v.int64();
    if (!number) return false;
    out = *number;
    return true;
}

bool read(const JsonValue& v, double& out) {
    const auto number = v.number();
    if (!number) return false;
    out = *number;
    return true;
}

bool read(const JsonValue& v, foundation::Date& out) {
    return read(v, out.secondsSinceReferenceDate);
}

bool read(const JsonValue& v, DiskSnapshot::Item& out) {
    const auto object = v.object();
    if (!object) return false;
    std::array<Member, kItemMembers.size()> m;
    object->findAll(kItemMembers, m);
    return required(m[0], out.name) && required(m[1], out.size);
}

bool read(const JsonValue& v, DiskSnapshot::Area& out) {
    const auto object = v.object();
    if (!object) return false;
    std::array<Member, kAreaMembers.size()> m;
    object->findAll(kAreaMembers, m);
    return required(m[0], out.name) && required(m[1], out.total) &&
           required(m[2], out.topFolders) && required(m[3], out.topKinds);
}

template <class T>
bool read(const JsonValue& v, std::vector<T>& out) {
    const auto array = v.array();
    if (!array) return false;
    out.clear();
    out.reserve(array->size());
    for (const JsonValue element : *array) {
        T decoded{};
        if (!read(element, decoded)) return false;
        out.push_back(std::move(decoded));
    }
    return true;
}

// ---- Encoding, members in field order.

void write(JsonWriter& w, const DiskSnapshot::Item& item) {
    w.beginObject();
    w.member("name", std::string_view(item.name));
    w.member("size", item.size);
    w.endObject();
}

void write(JsonWriter& w, const std::vector<DiskSnapshot::Item>& items) {
    w.beginArray();
    for (const auto& item : items) write(w, item);
    w.endArray();
}

void write(JsonWriter& w, const DiskSnapshot::Area& area) {
    w.beginObject();
    w.member("name", std::string_view(area.name));
    w.member("total", area.total);
    w.key("topFolders");
    write(w, area.topFolders);
    w.key("topKinds");
    write(w, area.topKinds);
    w.endObject();
}

}  // namespace

// The document-wide rules (UTF-8, escapes, depth, trailing bytes) are foundation's JSON reading;
// the field rules are the `read` overloads above.
std::optional<DiskSnapshot> DiskSnapshot::decode(std::string_view json) {
    const auto document = foundation::JsonDocument::parse(json);
    if (!document) return std::nullopt;
    std::array<Member, kSnapshotMembers.size()> m;
    document->root().findAll(kSnapshotMembers, m);
    DiskSnapshot s{};
    if (!required(m[0], s.generatedAt) || !required(m[1], s.volumeName) ||
        !required(m[2], s.usedFraction) || !required(m[3], s.used) || !required(m[4], s.free) ||
        !required(m[5], s.total) || !required(m[6], s.topFolders) || !required(m[7], s.topKinds) ||
        !optional(m[8], s.areas) || !optional(m[9], s.rootName)) {
        return std::nullopt;
    }
    return s;
}

std::optional<std::string> DiskSnapshot::encode(int indent) const {
    JsonWriter w(indent);
    encode(w);
    return w.result();
}

void DiskSnapshot::encode(JsonWriter& w) const {
    w.beginObject();
    w.member("generatedAt", generatedAt.secondsSinceReferenceDate);
    w.member("volumeName", std::string_view(volumeName));
    w.member("usedFraction", usedFraction);
    w.member("used", used);
    w.member("free", free);
    w.member("total", total);
    w.key("topFolders");
    write(w, topFolders);
    w.key("topKinds");
    write(w, topKinds);
    if (areas) {
        w.key("areas");
        w.beginArray();
        for (const auto& area : *areas) write(w, area);
        w.endArray();
    }
    if (rootName) w.member("rootName", std::string_view(*rootName));
    w.endObject();
}

}  // namespace brimlet
