#pragma once
// The one JSON encoder of the platform: compact or indented UTF-8 text, written front to back.
//
// Callers emit a well-formed sequence (a value where a value may stand, key() before each object
// member). Strings are escaped per RFC 8259: '"', '\\' and control characters are escaped, and
// everything else is copied as it is; invalid UTF-8 in a string fails the writer, so the output
// is never invalid JSON. Numbers go through std::to_chars, never the locale. A double is written
// as the shortest text that every JSON reader reads back as that very double: a whole one as an
// integer literal ("5") while it lies in [-2^63, 2^64), in exponent form beyond
// ("1.8446744073709552e+19", which no 64-bit integer holds), and negative zero as "-0.0" ("-0"
// would read as the integer 0). A non-finite double fails the writer: JSON has no spelling for it.
//
// Once failed, the writer ignores further calls and result() is nullopt.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

class JsonWriter {
public:
    // indent 0 writes compact JSON; otherwise members and elements go on lines of their own,
    // indented by `indent` spaces a level.
    explicit JsonWriter(int indent = 0) : indent_(indent) {}

    JsonWriter& beginObject();
    JsonWriter& endObject();
    // `inlineElements` keeps the elements on one line even in indented output: for short
    // arrays of numbers such as a frame [x, y, w, h].
    JsonWriter& beginArray(bool inlineElements = false);
    JsonWriter& endArray();
    JsonWriter& key(std::string_view name);

    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& value(std::int64_t number);
    JsonWriter& value(int number) { return value(static_cast<std::int64_t>(number)); }
    JsonWriter& value(double number);
    JsonWriter& value(bool flag);
    JsonWriter& null();

    // key(name) then value(v).
    template <class T>
    JsonWriter& member(std::string_view name, const T& v) {
        key(name);
        return value(v);
    }

    bool failed() const { return failed_; }
    // The document, or nullopt when a value could not be written or nesting is unbalanced.
    std::optional<std::string> result() const;

private:
    void beforeValue();
    JsonWriter& close(char bracket);
    void newline();
    void fail() { failed_ = true; }

    std::string out_;
    // One entry per open container.
    struct Open {
        bool isObject;
        bool hasElement;  // a member or element has been written
        bool inlineElements;
    };
    std::vector<Open> open_;
    bool afterKey_ = false;
    bool failed_ = false;
    int indent_;
};

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
bool isValidUtf8(std::string_view text);

}  // namespace foundation
