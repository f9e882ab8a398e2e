#pragma once
// Names from data written so that a terminal or a log shows them and never acts on them.

#include <string>
#include <string_view>

namespace foundation {

// `text` with everything a terminal would act on, or that would make a line read as something
// else, replaced by a visible escape; every other character is kept as it is. The result holds
// no byte below 0x20, no DEL, no C1 control and no bidirectional formatting character, so a
// message built from it is one line that reads in the order it is stored.
//
//   \\       the backslash itself, so that every escape below is unambiguous
//   \e \n \r \t   ESC, line feed, carriage return and tab
//   \xNN     any other C0 control byte, DEL (\x7F), and each byte that is not part of valid
//            UTF-8 (two upper-case hex digits: the byte itself)
//   \uXXXX   a C1 control (U+0080..U+009F), a bidirectional formatting character (U+061C,
//            U+200E, U+200F, U+202A..U+202E, U+2066..U+2069) or a line or paragraph separator
//            (U+2028, U+2029): four upper-case hex digits of the code point
//
// Valid UTF-8 is decoded strictly (no overlong forms, no surrogates, nothing above U+10FFFF).
// Safe to call from any thread.
std::string escapeForTerminal(std::string_view text);

}  // namespace foundation
