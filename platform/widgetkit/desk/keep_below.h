#pragma once
// "Keep Below Windows": on X11, the window below other windows, sticky on every workspace and out
// of the task bar (_NET_WM_STATE_BELOW, _NET_WM_STATE_STICKY, _NET_WM_STATE_SKIP_TASKBAR). GTK 4
// has no way to ask for this on Wayland.

#include <gtkmm/window.h>

namespace widgetkit::desk {

// Whether `window`'s display is an X11 one (the program built with X11 support).
bool canKeepBelow(const Gtk::Window& window);

// Asks the window manager to add or remove the three states; before the window is mapped, the
// states are set on the window for the window manager to read when it maps it. Does nothing
// where canKeepBelow() is false or the window has no surface yet.
void keepBelow(Gtk::Window& window, bool on);

}  // namespace widgetkit::desk
