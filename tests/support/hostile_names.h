#pragma once
// Names a file system may hold that a terminal would act on, and the check that a line written
// from them is inert.

#include <string>
#include <string_view>

namespace brimlet_test {

// A name with an OSC title sequence and a bell, a newline, a carriage return, DEL, a C1 control
// (U+009B, CSI), right-to-left override and isolate characters, and a byte that is not UTF-8.
inline const std::string kHostileName =
    "x\x1b]0;PWNED\a\n\r\x7f\xc2\x9b\xe2\x80\xae\xe2\x81\xa6gnp.exe\xff";

// kHostileName as escapeForTerminal writes it.
inline const std::string kHostileNameEscaped =
    "x\\e]0;PWNED\\x07\\n\\r\\x7F\\u009B\\u202E\\u2066gnp.exe\\xFF";

// True when `line` holds no byte below 0x20, no DEL, no C1 control and no bidirectional
// formatting character: a terminal shows it as it is, left to right.
inline bool inert(std::string_view line) {
    static const std::string_view kForbidden[] = {"\xd8\x9c",     "\xe2\x80\x8e", "\xe2\x80\x8f",
                                                  "\xe2\x80\xaa", "\xe2\x80\xab", "\xe2\x80\xac",
                                                  "\xe2\x80\xad", "\xe2\x80\xae", "\xe2\x81\xa6",
                                                  "\xe2\x81\xa7", "\xe2\x81\xa8", "\xe2\x81\xa9"};
    for (const char c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
    }
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        const auto lead = static_cast<unsigned char>(line[i]);
        if (lead == 0xc2 && static_cast<unsigned char>(line[i + 1]) >= 0x80 &&
            static_cast<unsigned char>(line[i + 1]) <= 0x9f) {
            return false;
        }
    }
    for (const auto forbidden : kForbidden) {
        if (line.find(forbidden) != std::string_view::npos) return false;
    }
    return true;
}

}  // namespace brimlet_test
