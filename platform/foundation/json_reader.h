#pragma once
// Strict JSON reading: a parsed document and typed, read-only views into it.
//
// JsonDocument::parse accepts the bytes only when all of them form one JSON text (RFC 8259)
// whose top-level value is an object:
//   - one leading UTF-8 byte-order mark is skipped; any other byte before or after the value
//     (trailing garbage, a NUL, a second mark) fails the document;
//   - the bytes must be valid UTF-8, every \u escape must form a scalar value (a lone surrogate
//     fails), and control characters below U+0020 must be escaped inside strings;
//   - containers nest at most kJsonMaxDepth levels, the top-level object counting as the first,
//     everywhere in the document, members that nobody reads included;
//   - a number must fit a double (1e400 fails), and an integer written without fraction or
//     exponent must fit 64 bits, signed or unsigned (a longer one fails the document: a limit of
//     the underlying parser).
// Only the bytes handed over are parsed; nothing here reads a file.
//
// Views (JsonValue, JsonObject, JsonArray) point into their document and are valid while it
// lives; they are cheap to copy. Strings come out as string_views with their full length, so an
// escaped \u0000 never cuts one short. Members are looked up by exact, case-sensitive name, and
// when a name occurs twice the first member wins.
//
// A document and its views are immutable: several threads may read one document at once.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

namespace foundation {

// The deepest nesting a document may have; the top-level object is level 1.
inline constexpr std::size_t kJsonMaxDepth = 512;

class JsonObject;
class JsonArray;

namespace detail {
// Where a view points: the parsed document and a position in it. Opaque outside json_reader.cpp.
struct JsonHandle {
    const void* document = nullptr;
    std::size_t index = 0;
};
struct JsonAccess;
}  // namespace detail

class JsonValue {
public:
    bool isNull() const;

    // The text of a string value (unescaped UTF-8); nullopt for any other type.
    std::optional<std::string_view> string() const;

    // A signed 64-bit integer: an integer within [-2^63, 2^63), or a number written with a
    // fraction or exponent whose value is whole and within that range (1.0, 1e3 and 1e18 are
    // accepted). nullopt for anything else: 2^63 or more, a fraction, a non-number.
    std::optional<std::int64_t> int64() const;

    // Any number as a double (integers beyond 2^53 round to the nearest double); nullopt for a
    // non-number.
    std::optional<double> number() const;

    std::optional<bool> boolean() const;
    std::optional<JsonObject> object() const;
    std::optional<JsonArray> array() const;

private:
    friend struct detail::JsonAccess;
    detail::JsonHandle handle_;
};

class JsonObject {
public:
    // The value of the first member called `name`; nullopt when there is none or when it holds
    // null, so that an optional member reads the same missing or null.
    std::optional<JsonValue> member(std::string_view name) const;

    // The value of the first member called `name`, null included; nullopt when there is none.
    std::optional<JsonValue> find(std::string_view name) const;

    // Several lookups in one pass over the members: found[i] becomes the value of the first
    // member called names[i] (null included), or nullopt when there is none. `found` must be as
    // long as `names`; only the first names.size() entries are written.
    void findAll(std::span<const std::string_view> names,
                 std::span<std::optional<JsonValue>> found) const;

    // The number of members, duplicates included.
    std::size_t size() const;

private:
    friend struct detail::JsonAccess;
    detail::JsonHandle handle_;
};

class JsonArray {
public:
    // Walks the elements in document order.
    class Iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = JsonValue;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = JsonValue;

        JsonValue operator*() const;
        Iterator& operator++();
        Iterator operator++(int) {
            Iterator before = *this;
            ++*this;
            return before;
        }
        friend bool operator==(const Iterator& a, const Iterator& b) {
            return a.handle_.document == b.handle_.document && a.handle_.index == b.handle_.index;
        }

    private:
        friend struct detail::JsonAccess;
        detail::JsonHandle handle_;
    };

    Iterator begin() const;
    Iterator end() const;

    // The number of elements.
    std::size_t size() const;
    bool empty() const { return size() == 0; }

private:
    friend struct detail::JsonAccess;
    detail::JsonHandle handle_;
};

class JsonDocument {
public:
    // The parsed document, or nullopt when `bytes` break any rule above. `bytes` need not outlive
    // the call: the document keeps its own copy of everything it hands out.
    static std::optional<JsonDocument> parse(std::string_view bytes);

    // The top-level object.
    JsonObject root() const;

    JsonDocument(JsonDocument&&) noexcept;
    JsonDocument& operator=(JsonDocument&&) noexcept;
    ~JsonDocument();

private:
    struct Parsed;
    explicit JsonDocument(std::unique_ptr<Parsed> parsed);
    std::unique_ptr<Parsed> parsed_;
};

}  // namespace foundation
