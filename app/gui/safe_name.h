#pragma once
// Names from the file system made safe to show in the window: a name is drawn as an isolated
// run that cannot reorder its neighbours or hide characters.

#include <string>
#include <string_view>

namespace brimlet {
struct ExplorerRow;
}

namespace brimlet::gui {

// `name` (UTF-8; invalid bytes already replaced, as displayName does) with each C0 control
// character and DEL drawn as its visible symbol from the U+2400 block (U+2400 + c, U+2421 for
// DEL), each C1 control as U+FFFD, and the bidirectional formatting characters (U+200E, U+200F,
// U+061C, U+202A–U+202E, U+2066–U+2069) left out. Bytes that are not valid UTF-8 become U+FFFD.
std::string safeName(std::string_view name);

// The name a row of the folder list and the treemap shows: its folder's name made safe, or for
// the row of the files directly inside the folder, that row's name in the user's language.
std::string rowName(const ExplorerRow& row);

}  // namespace brimlet::gui
