#pragma once
// Names that come from data (a folder, a volume, an area) as they are drawn in a picture or a
// window, so that a name can never pass for another.
//
// A file name may hold any byte but '/' and NUL. Drawn as it is, U+202E (RIGHT-TO-LEFT OVERRIDE)
// makes "bidi\u202Egnp.exe" read as "bidiexe.png", and a control character shows as a box, a
// space or a break of the line. Here:
//  - the bidirectional formatting characters (U+202A–U+202E, U+2066–U+2069, U+200E, U+200F,
//    U+061C) are left out, so none of them is applied;
//  - each C0 control U+0000–U+001F is drawn as its symbol U+2400–U+241F ('\n' as "␊", U+240A),
//    DEL as "␡" (U+2421), so a newline never breaks the line;
//  - each C1 control U+0080–U+009F is drawn as "�" (U+FFFD): no font has symbols for them;
//  - U+2028 LINE SEPARATOR and U+2029 PARAGRAPH SEPARATOR are drawn as "␤" (U+2424);
//  - bytes that are not UTF-8 are drawn as "�" (U+FFFD), one for each maximal ill-formed
//    sequence, as ICU reads them.
// Everything else is kept as it is: a name holding none of these comes back byte for byte.
//
// Every function is safe to call from any thread.

#include <string>
#include <string_view>

namespace foundation {

// `name` as it is drawn on its own (see above). A name drawn on its own is its own paragraph:
// its direction is that of its first strong character, and nothing else shares its line.
std::string drawnName(std::string_view name);

// `name` as it is drawn inside a longer text: drawnName(name), wrapped in U+2068 FIRST STRONG
// ISOLATE … U+2069 POP DIRECTIONAL ISOLATE when it holds a right-to-left character (bidi class R,
// AL or AN), so that its direction is its own and it cannot reorder the text around it ("%@ free"
// with a Hebrew name keeps "free" after the name in a left-to-right line). A name without one
// cannot move its neighbours in a left-to-right line and is returned as drawnName gives it.
std::string isolatedName(std::string_view name);

}  // namespace foundation
