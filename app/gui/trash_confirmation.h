#pragma once
// The question asked before anything goes to the trash: it names the entry and the space it
// takes, and says that the space comes back only when the trash is emptied.

#include <gtkmm/window.h>

#include <cstdint>
#include <functional>
#include <string>

namespace brimlet::gui {

// Asks, modal over `parent`, whether `name` (shown as it is; make it safe first) of `size`
// allocated bytes goes to the trash; `onConfirmed` runs only when the person says yes.
// `linkedElsewhere`: a file with other hard links, which frees no space.
void confirmTrash(Gtk::Window& parent, const std::string& name, std::int64_t size,
                  bool linkedElsewhere, std::function<void()> onConfirmed);

}  // namespace brimlet::gui
