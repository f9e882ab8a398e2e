#pragma once
// Light or dark, as the desktop prefers, followed live: the settings portal's
// org.freedesktop.appearance color-scheme where a portal answers (as libadwaita reads it), else
// GTK's gtk-application-prefer-dark-theme setting (settings.ini, XSETTINGS). When the portal
// decides, the GTK setting is set to match, so the window's own chrome agrees with the tiles.

#include <giomm/cancellable.h>
#include <giomm/dbusconnection.h>
#include <glibmm/variant.h>

#include <functional>

namespace widgetkit::desk {

class Appearance {
public:
    // `onChange` runs on the main loop's thread when the preference changes. Without `bus` (no
    // session bus) the portal is not asked.
    Appearance(const Glib::RefPtr<Gio::DBus::Connection>& bus, std::function<void()> onChange);
    ~Appearance();
    Appearance(const Appearance&) = delete;
    Appearance& operator=(const Appearance&) = delete;

    bool dark() const;

private:
    void takeScheme(Glib::VariantBase value);

    std::function<void()> onChange_;
    Glib::RefPtr<Gio::DBus::Connection> bus_;
    Glib::RefPtr<Gio::Cancellable> cancellable_ = Gio::Cancellable::create();
    guint subscription_ = 0;
    sigc::connection settingChanged_;
    // The portal's color-scheme: -1 unknown (no portal), 0 no preference, 1 dark, 2 light.
    int scheme_ = -1;
};

}  // namespace widgetkit::desk
