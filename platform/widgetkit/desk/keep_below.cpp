#include "platform/widgetkit/desk/keep_below.h"

#include <gdkmm/surface.h>

#if BRIMLET_DESK_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/x11/gdkx.h>

#include <array>
#endif

namespace widgetkit::desk {

#if BRIMLET_DESK_X11

namespace {

constexpr std::array<const char*, 3> kStates{"_NET_WM_STATE_BELOW", "_NET_WM_STATE_STICKY",
                                             "_NET_WM_STATE_SKIP_TASKBAR"};

// One _NET_WM_STATE request to the root window (1 add, 0 remove) for up to two states.
void sendState(Display* display, ::Window xid, bool on, Atom first, Atom second) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = xid;
    event.xclient.message_type = XInternAtom(display, "_NET_WM_STATE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = on ? 1 : 0;
    event.xclient.data.l[1] = static_cast<long>(first);
    event.xclient.data.l[2] = static_cast<long>(second);
    event.xclient.data.l[3] = 1;  // a normal application
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

}  // namespace

bool canKeepBelow(const Gtk::Window& window) {
    return GDK_IS_X11_DISPLAY(const_cast<Gtk::Window&>(window).get_display()->gobj());
}

void keepBelow(Gtk::Window& window, bool on) {
    if (!canKeepBelow(window)) return;
    const auto surface = window.get_surface();
    if (!surface) return;
    Display* display = gdk_x11_display_get_xdisplay(window.get_display()->gobj());
    const ::Window xid = gdk_x11_surface_get_xid(surface->gobj());
    std::array<Atom, kStates.size()> atoms{};
    for (std::size_t i = 0; i < kStates.size(); ++i) {
        atoms[i] = XInternAtom(display, kStates[i], False);
    }
    if (window.get_mapped()) {
        sendState(display, xid, on, atoms[0], atoms[1]);
        sendState(display, xid, on, atoms[2], 0);
    } else if (on) {
        XChangeProperty(display, xid, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(atoms.data()),
                        static_cast<int>(atoms.size()));
    }
    XFlush(display);
}

#else

bool canKeepBelow(const Gtk::Window&) { return false; }
void keepBelow(Gtk::Window&, bool) {}

#endif

}  // namespace widgetkit::desk
