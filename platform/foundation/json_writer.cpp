#include "platform/foundation/json_writer.h"

#include <array>
#include <charconv>
#include <cmath>

#include "platform/foundation/text.h"

namespace foundation {
namespace {

// Whole doubles in [-2^63, 2^64) are written as integer literals, which every reader with 64-bit
// integers reads and converts back to the same double. Outside it an integer literal would be
// refused (or read as a different kind of number), so those are written in exponent form.
constexpr double kIntegerTextLow = -0x1p63;
constexpr double kIntegerTextEnd = 0x1p64;

// The shortest text that reads back as exactly `number` (finite), as a double in every reader.
void appendJsonNumber(std::string& out, double number) {
    if (number == 0 && std::signbit(number)) {
        out += "-0.0";  // "-0" is the integer 0 to a reader: the sign would be lost
        return;
    }
    if (number >= kIntegerTextLow && number < kIntegerTextEnd) {
        appendShortest(out, number);
        return;
    }
    std::array<char, 32> buf{};
    const auto r =
        std::to_chars(buf.data(), buf.data() + buf.size(), number, std::chars_format::scientific);
    out.append(buf.data(), r.ptr);
}

}  // namespace

bool isValidUtf8(std::string_view text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        // The lead byte gives the length and the range of the second byte: no overlong forms,
        // no UTF-16 surrogates, nothing above U+10FFFF.
        std::size_t len = 0;
        unsigned lo = 0x80, hi = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            if (c == 0xE0) lo = 0xA0;
            if (c == 0xED) hi = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            if (c == 0xF0) lo = 0x90;
            if (c == 0xF4) hi = 0x8F;
        } else {
            return false;
        }
        if (i + len > n) return false;
        if (s[i + 1] < lo || s[i + 1] > hi) return false;
        for (std::size_t k = 2; k < len; ++k) {
            if (s[i + k] < 0x80 || s[i + k] > 0xBF) return false;
        }
        i += len;
    }
    return true;
}

void JsonWriter::newline() {
    if (indent_ <= 0) return;
    if (!open_.empty() && open_.back().inlineElements) {
        if (out_.back() == ',') out_ += ' ';
        return;
    }
    out_ += '\n';
    out_.append(open_.size() * static_cast<std::size_t>(indent_), ' ');
}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!open_.empty()) {
        if (open_.back().isObject) {
            fail();  // an object member needs key() first
            return;
        }
        if (open_.back().hasElement) out_ += ',';
        open_.back().hasElement = true;
        newline();
    } else if (!out_.empty()) {
        fail();  // a second top-level value
    }
}

JsonWriter& JsonWriter::beginObject() {
    if (failed_) return *this;
    beforeValue();
    if (failed_) return *this;
    out_ += '{';
    open_.push_back({true, false, false});
    return *this;
}

JsonWriter& JsonWriter::close(char bracket) {
    if (failed_) return *this;
    if (open_.empty() || afterKey_ || open_.back().isObject != (bracket == '}')) {
        fail();
        return *this;
    }
    const Open closing = open_.back();
    open_.pop_back();
    if (closing.hasElement && !closing.inlineElements) newline();
    out_ += bracket;
    return *this;
}

JsonWriter& JsonWriter::endObject() { return close('}'); }

JsonWriter& JsonWriter::beginArray(bool inlineElements) {
    if (failed_) return *this;
    beforeValue();
    if (failed_) return *this;
    out_ += '[';
    open_.push_back({false, false, inlineElements && indent_ > 0});
    return *this;
}

JsonWriter& JsonWriter::endArray() { return close(']'); }

JsonWriter& JsonWriter::key(std::string_view name) {
    if (failed_) return *this;
    if (open_.empty() || afterKey_ || !open_.back().isObject) {
        fail();
        return *this;
    }
    if (open_.back().hasElement) out_ += ',';
    open_.back().hasElement = true;
    newline();
    afterKey_ = true;  // lets the name itself through beforeValue()
    value(name);
    if (failed_) return *this;
    out_ += indent_ > 0 ? ": " : ":";
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view text) {
    if (failed_) return *this;
    if (!isValidUtf8(text)) {
        fail();
        return *this;
    }
    beforeValue();
    out_ += '"';
    static constexpr char kHex[] = "0123456789abcdef";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"': out_ += "\\\""; break;
            case '\\': out_ += "\\\\"; break;
            case '\n': out_ += "\\n"; break;
            case '\r': out_ += "\\r"; break;
            case '\t': out_ += "\\t"; break;
            case '\b': out_ += "\\b"; break;
            case '\f': out_ += "\\f"; break;
            default:
                if (c < 0x20) {
                    out_ += "\\u00";
                    out_ += kHex[c >> 4];
                    out_ += kHex[c & 0xF];
                } else {
                    out_ += ch;
                }
        }
    }
    out_ += '"';
    return *this;
}

JsonWriter& JsonWriter::value(std::int64_t number) {
    if (failed_) return *this;
    beforeValue();
    appendInteger(out_, number);
    return *this;
}

JsonWriter& JsonWriter::value(double number) {
    if (failed_) return *this;
    if (!std::isfinite(number)) {
        fail();
        return *this;
    }
    beforeValue();
    appendJsonNumber(out_, number);
    return *this;
}

JsonWriter& JsonWriter::value(bool flag) {
    if (failed_) return *this;
    beforeValue();
    out_ += flag ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null() {
    if (failed_) return *this;
    beforeValue();
    out_ += "null";
    return *this;
}

std::optional<std::string> JsonWriter::result() const {
    if (failed_ || !open_.empty() || afterKey_ || out_.empty()) return std::nullopt;
    return out_;
}

}  // namespace foundation
