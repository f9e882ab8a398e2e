#pragma once
// The window's own pixels, as the compositor would show them, written as a PNG.

#include <gtkmm/window.h>

#include <string>

#include "platform/foundation/status.h"

namespace brimlet::gui {

// Renders `window` (realized and drawn at least once) with its own renderer at its scale and
// writes the picture to `path` atomically.
[[nodiscard]] foundation::Status writeWindowPng(Gtk::Window& window, const std::string& path);

}  // namespace brimlet::gui
