#pragma once
// The window's own pixels, as the compositor would show them, written as a PNG.

#include <gtkmm/window.h>

#include <string>

#include "platform/foundation/status.h"

namespace brimlet::gui {

// Renders `window` with its own renderer at its scale and writes the picture to `path`
// atomically. `drawn` is set to false, and nothing is written, when the window has nothing to
// show yet (its first frames may come before it is mapped and sized); the caller tries again.
[[nodiscard]] foundation::Status writeWindowPng(Gtk::Window& window, const std::string& path,
                                                bool& drawn);

}  // namespace brimlet::gui
