#pragma once
// Light or dark, as the desktop prefers, followed live: the settings portal's
// org.freedesktop.appearance color-scheme where a portal answers (as libadwaita reads it), else
// GTK's gtk-application-prefer-dark-theme setting (settings.ini, XSETTINGS). When the portal
// decides, the GTK setting is set to match, so the window's own chrome agrees with the tiles.

#include <gio/gio.h>

#include <functional>

namespace widgetkit::desk {

class Appearance {
public:
    // `onChange` runs on the main loop's thread when the preference changes. With
    // `useSessionBus` false the portal is not asked.
    Appearance(bool useSessionBus, std::function<void()> onChange);
    ~Appearance();
    Appearance(const Appearance&) = delete;
    Appearance& operator=(const Appearance&) = delete;

    bool dark() const;

private:
    static void onBus(GObject*, GAsyncResult* result, gpointer self);
    static void onRead(GObject* source, GAsyncResult* result, gpointer self);
    static void onSettingChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                 const gchar*, GVariant* parameters, gpointer self);
    void takeScheme(GVariant* value);

    std::function<void()> onChange_;
    GCancellable* cancellable_ = nullptr;
    GDBusConnection* bus_ = nullptr;
    guint subscription_ = 0;
    gulong settingsHandler_ = 0;
    // The portal's color-scheme: -1 unknown (no portal), 0 no preference, 1 dark, 2 light.
    int scheme_ = -1;
};

}  // namespace widgetkit::desk
