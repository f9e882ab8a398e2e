// The only translation unit that sees simdjson. Views carry a simdjson tape reference in an
// opaque JsonHandle; the two are converted with std::bit_cast, which the static_asserts below
// keep honest.
#include "platform/foundation/json_reader.h"

#include <simdjson.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <type_traits>

namespace foundation {

namespace dom = simdjson::dom;

namespace detail {

template <class T>
inline constexpr bool kFitsHandle =
    // NOLINTNEXTLINE(misc-redundant-expression): clang-tidy 14 evaluates it for no particular T
    sizeof(T) == sizeof(JsonHandle) &&
    alignof(T) <= alignof(JsonHandle) && std::is_trivially_copyable_v<T>;
static_assert(kFitsHandle<dom::element>);
static_assert(kFitsHandle<dom::object>);
static_assert(kFitsHandle<dom::array>);
static_assert(kFitsHandle<dom::array::iterator>);
static_assert(std::is_trivially_copyable_v<JsonHandle>);

struct JsonAccess {
    template <class T>
    static T to(JsonHandle handle) {
        return std::bit_cast<T>(handle);
    }
    template <class T>
    static JsonHandle from(const T& node) {
        return std::bit_cast<JsonHandle>(node);
    }

    static JsonValue value(dom::element e) {
        JsonValue v;
        v.handle_ = from(e);
        return v;
    }
    static JsonObject object(dom::object o) {
        JsonObject v;
        v.handle_ = from(o);
        return v;
    }
    static JsonArray array(dom::array a) {
        JsonArray v;
        v.handle_ = from(a);
        return v;
    }
    static JsonArray::Iterator iterator(dom::array::iterator it) {
        JsonArray::Iterator v;
        v.handle_ = from(it);
        return v;
    }

    static dom::element element(const JsonValue& v) { return to<dom::element>(v.handle_); }
    static dom::object object(const JsonObject& v) { return to<dom::object>(v.handle_); }
    static dom::array array(const JsonArray& v) { return to<dom::array>(v.handle_); }
    static dom::array::iterator iterator(const JsonArray::Iterator& v) {
        return to<dom::array::iterator>(v.handle_);
    }
};

}  // namespace detail

using detail::JsonAccess;

namespace {

// The tape's element counts saturate here; at or beyond it, counting means walking.
constexpr std::size_t kSaturatedCount = 0xFFFFFF;

// [-2^63, 2^63) as doubles: both bounds are exact powers of two.
constexpr double kInt64Low = -9223372036854775808.0;
constexpr double kInt64End = 9223372036854775808.0;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

// ---- JsonValue

bool JsonValue::isNull() const { return JsonAccess::element(*this).is_null(); }

std::optional<std::string_view> JsonValue::string() const {
    std::string_view text;
    if (JsonAccess::element(*this).get_string().get(text) != simdjson::SUCCESS) return std::nullopt;
    return text;
}

std::optional<std::int64_t> JsonValue::int64() const {
    const dom::element e = JsonAccess::element(*this);
    switch (e.type()) {
        case dom::element_type::INT64: return e.get_int64().value_unsafe();
        case dom::element_type::DOUBLE: {
            // A whole double in range converts exactly; NaN and infinities fail every test here.
            const double d = e.get_double().value_unsafe();
            if (!(d >= kInt64Low && d < kInt64End) || std::trunc(d) != d) return std::nullopt;
            return static_cast<std::int64_t>(d);
        }
        default:  // UINT64 holds only values of 2^63 and more
            return std::nullopt;
    }
}

std::optional<double> JsonValue::number() const {
    double d = 0;
    // get_double converts the integer kinds as well.
    if (JsonAccess::element(*this).get_double().get(d) != simdjson::SUCCESS) return std::nullopt;
    return d;
}

std::optional<bool> JsonValue::boolean() const {
    bool b = false;
    if (JsonAccess::element(*this).get_bool().get(b) != simdjson::SUCCESS) return std::nullopt;
    return b;
}

std::optional<JsonObject> JsonValue::object() const {
    dom::object o;
    if (JsonAccess::element(*this).get_object().get(o) != simdjson::SUCCESS) return std::nullopt;
    return JsonAccess::object(o);
}

std::optional<JsonArray> JsonValue::array() const {
    dom::array a;
    if (JsonAccess::element(*this).get_array().get(a) != simdjson::SUCCESS) return std::nullopt;
    return JsonAccess::array(a);
}

// ---- JsonObject

std::optional<JsonValue> JsonObject::find(std::string_view name) const {
    // at_key compares whole keys (length included) and returns the first match.
    dom::element e;
    if (JsonAccess::object(*this).at_key(name).get(e) != simdjson::SUCCESS) return std::nullopt;
    return JsonAccess::value(e);
}

std::optional<JsonValue> JsonObject::member(std::string_view name) const {
    auto value = find(name);
    if (value && value->isNull()) return std::nullopt;
    return value;
}

void JsonObject::findAll(std::span<const std::string_view> names,
                         std::span<std::optional<JsonValue>> found) const {
    const std::size_t n = std::min(names.size(), found.size());
    for (std::size_t i = 0; i < n; ++i) found[i].reset();
    std::size_t missing = n;
    for (const dom::key_value_pair field : JsonAccess::object(*this)) {
        // Every slot of this name is filled at once, so a later duplicate finds none left.
        for (std::size_t i = 0; i < n; ++i) {
            if (!found[i] && field.key == names[i]) {
                found[i] = JsonAccess::value(field.value);
                --missing;
            }
        }
        if (missing == 0) break;
    }
}

std::size_t JsonObject::size() const {
    const dom::object o = JsonAccess::object(*this);
    const std::size_t counted = o.size();
    if (counted < kSaturatedCount) return counted;
    std::size_t n = 0;
    for (auto it = o.begin(); it != o.end(); ++it) ++n;
    return n;
}

// ---- JsonArray

JsonValue JsonArray::Iterator::operator*() const {
    return JsonAccess::value(*JsonAccess::iterator(*this));
}

JsonArray::Iterator& JsonArray::Iterator::operator++() {
    auto it = JsonAccess::iterator(*this);
    ++it;
    handle_ = JsonAccess::from(it);
    return *this;
}

JsonArray::Iterator JsonArray::begin() const {
    return JsonAccess::iterator(JsonAccess::array(*this).begin());
}

JsonArray::Iterator JsonArray::end() const {
    return JsonAccess::iterator(JsonAccess::array(*this).end());
}

std::size_t JsonArray::size() const {
    const dom::array a = JsonAccess::array(*this);
    const std::size_t counted = a.size();
    if (counted < kSaturatedCount) return counted;
    std::size_t n = 0;
    for (auto it = a.begin(); it != a.end(); ++it) ++n;
    return n;
}

// ---- JsonDocument

struct JsonDocument::Parsed {
    // Holds the tape and the unescaped strings; the parser's scratch space is gone after parse.
    dom::document document;
    dom::object root;
};

JsonDocument::JsonDocument(std::unique_ptr<Parsed> parsed) : parsed_(std::move(parsed)) {}
JsonDocument::JsonDocument(JsonDocument&&) noexcept = default;
JsonDocument& JsonDocument::operator=(JsonDocument&&) noexcept = default;
JsonDocument::~JsonDocument() = default;

JsonObject JsonDocument::root() const { return JsonAccess::object(parsed_->root); }

std::optional<JsonDocument> JsonDocument::parse(std::string_view bytes) {
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        bytes.remove_prefix(kByteOrderMark.size());
    }
    if (bytes.empty()) return std::nullopt;

    dom::parser parser;
    if (parser.allocate(bytes.size(), kJsonMaxDepth) != simdjson::SUCCESS) return std::nullopt;
    auto parsed = std::make_unique<Parsed>();
    // realloc_if_needed: the parser copies the bytes into its own padded buffer, so it never
    // reads past the end of what it was handed. Stage 1 validates UTF-8 and unescaped control
    // characters over the whole input; stage 2 rejects bad escapes (lone surrogates included),
    // excess depth, numbers out of range and anything after the value.
    dom::element root;
    if (parser.parse_into_document(parsed->document, bytes.data(), bytes.size(), true).get(root) !=
        simdjson::SUCCESS) {
        return std::nullopt;
    }
    if (root.get_object().get(parsed->root) != simdjson::SUCCESS) return std::nullopt;
    return JsonDocument(std::move(parsed));
}

}  // namespace foundation
