#include "platform/foundation/escape.h"

#include <cstdint>

namespace foundation {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

// The length of the valid UTF-8 sequence at the start of `text` and its code point, or 0 when
// the first byte does not begin one.
std::size_t decode(std::string_view text, char32_t& codePoint) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    // The sequence's length, the smallest code point it may spell, and the lead's payload bits.
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        minimum = 0x80;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        minimum = 0x800;
        codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        minimum = 0x10000;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (byte(i) & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF) return 0;
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return 0;
    return length;
}

bool needsCodePointEscape(char32_t c) {
    return (c >= 0x80 && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x2028 ||
           c == 0x2029;
}

void appendByteEscape(std::string& out, unsigned char byte) {
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
}

void appendCodePointEscape(std::string& out, char32_t c) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
}

}  // namespace

std::string escapeForTerminal(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        char32_t c = 0;
        const std::size_t length = decode(text, c);
        if (length == 0) {
            appendByteEscape(out, static_cast<unsigned char>(text.front()));
            text.remove_prefix(1);
            continue;
        }
        switch (c) {
            case '\\': out += "\\\\"; break;
            case 0x1B: out += "\\e"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    appendByteEscape(out, static_cast<unsigned char>(c));
                } else if (needsCodePointEscape(c)) {
                    appendCodePointEscape(out, c);
                } else {
                    out.append(text.substr(0, length));
                }
        }
        text.remove_prefix(length);
    }
    return out;
}

}  // namespace foundation
