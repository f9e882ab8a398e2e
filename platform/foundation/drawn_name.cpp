#include "platform/foundation/drawn_name.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>

namespace foundation {
namespace {

constexpr UChar32 kReplacement = 0xFFFD;
constexpr UChar32 kNewlineSymbol = 0x2424;
constexpr std::string_view kFirstStrongIsolate = "\xE2\x81\xA8";     // U+2068
constexpr std::string_view kPopDirectionalIsolate = "\xE2\x81\xA9";  // U+2069

bool isBidiFormatting(UChar32 c) {
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E ||
           c == 0x200F || c == 0x061C;
}

// What is drawn for `c`: itself, a visible symbol, or nothing (-1).
UChar32 drawnCharacter(UChar32 c) {
    if (c < 0) return kReplacement;  // an ill-formed sequence
    if (c < 0x20) return 0x2400 + c;
    if (c == 0x7F) return 0x2421;
    if (c >= 0x80 && c <= 0x9F) return kReplacement;
    if (c == 0x2028 || c == 0x2029) return kNewlineSymbol;
    if (isBidiFormatting(c)) return -1;
    return c;
}

bool needsDrawing(unsigned char byte) { return byte < 0x20 || byte >= 0x7F; }

// Appends `c` in UTF-8; every symbol drawn here lies in U+0800...U+FFFF, three bytes long.
void appendSymbol(std::string& out, UChar32 c) {
    const auto u = static_cast<std::uint32_t>(c);
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
}

bool isRightToLeft(UChar32 c) {
    switch (u_charDirection(c)) {
        case U_RIGHT_TO_LEFT:
        case U_RIGHT_TO_LEFT_ARABIC:
        case U_ARABIC_NUMBER: return true;
        default: return false;
    }
}

}  // namespace

std::string drawnName(std::string_view name) {
    std::size_t plain = 0;  // printable ASCII is drawn as it is
    while (plain < name.size() && !needsDrawing(static_cast<unsigned char>(name[plain]))) ++plain;
    if (plain == name.size()) return std::string(name);
    std::string out(name.substr(0, plain));
    out.reserve(name.size() + 8);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(name.data());
    const auto length = static_cast<std::int64_t>(name.size());
    for (std::int64_t i = static_cast<std::int64_t>(plain); i < length;) {
        const std::int64_t start = i;
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        const UChar32 drawn = drawnCharacter(c);
        if (drawn == c) {
            out.append(
                name.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(i - start)));
        } else if (drawn >= 0) {
            appendSymbol(out, drawn);
        }
    }
    return out;
}

std::string isolatedName(std::string_view name) {
    std::string drawn = drawnName(name);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(drawn.data());
    const auto length = static_cast<std::int64_t>(drawn.size());
    for (std::int64_t i = 0; i < length;) {
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        if (isRightToLeft(c)) {
            std::string out(kFirstStrongIsolate);
            out += drawn;
            out += kPopDirectionalIsolate;
            return out;
        }
    }
    return drawn;
}

}  // namespace foundation
