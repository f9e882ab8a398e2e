#pragma once
// Light or dark as the desktop prefers, followed live, as the desk does: the settings portal's
// org.freedesktop.appearance color-scheme where a portal answers (as libadwaita reads it) is
// written into GTK's gtk-application-prefer-dark-theme setting, which otherwise decides alone
// (settings.ini, XSETTINGS).
//
// The desk reads the preference the same way (platform/widgetkit/desk/appearance.*), and this
// stays a copy on purpose: no module can hold it for both. The desk may include only the
// platform, and app/ only foundation and extension/shared; of those, only foundation is below
// both, and foundation is kept free of GLib, while this needs GIO's bus and GTK's settings.
// Keep the two in step: the same portal call, the same unwrapping, the same fallback.

#include <giomm.h>

#include <functional>

namespace brimlet::gui {

class Appearance {
public:
    // `onChange` runs on the main loop when the preference changes. With `useSessionBus` false
    // the portal is not asked.
    Appearance(bool useSessionBus, std::function<void()> onChange);
    ~Appearance();
    Appearance(const Appearance&) = delete;
    Appearance& operator=(const Appearance&) = delete;

private:
    void onBus(Glib::RefPtr<Gio::AsyncResult>& result);
    void onRead(Glib::RefPtr<Gio::AsyncResult>& result);
    void takeScheme(GVariant* value);

    std::function<void()> onChange_;
    Glib::RefPtr<Gio::Cancellable> cancellable_ = Gio::Cancellable::create();
    Glib::RefPtr<Gio::DBus::Connection> bus_;
    guint subscription_ = 0;
    sigc::connection settingChanged_;
    // The portal's color-scheme: -1 unknown (no portal), 0 no preference, 1 dark, 2 light.
    int scheme_ = -1;
};

}  // namespace brimlet::gui
