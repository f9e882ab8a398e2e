#include "platform/widgetkit/desk/appearance.h"

#include <gtk/gtk.h>

namespace widgetkit::desk {
namespace {

constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kSettings = "org.freedesktop.portal.Settings";
constexpr const char* kNamespace = "org.freedesktop.appearance";
constexpr const char* kKey = "color-scheme";

gboolean gtkPrefersDark() {
    gboolean dark = FALSE;
    g_object_get(gtk_settings_get_default(), "gtk-application-prefer-dark-theme", &dark, nullptr);
    return dark;
}

}  // namespace

Appearance::Appearance(bool useSessionBus, std::function<void()> onChange)
    : onChange_(std::move(onChange)), cancellable_(g_cancellable_new()) {
    settingsHandler_ = g_signal_connect_swapped(gtk_settings_get_default(),
                                                "notify::gtk-application-prefer-dark-theme",
                                                G_CALLBACK(+[](Appearance* self) {
                                                    if (self->scheme_ < 0) self->onChange_();
                                                }),
                                                this);
    if (useSessionBus) g_bus_get(G_BUS_TYPE_SESSION, cancellable_, &Appearance::onBus, this);
}

Appearance::~Appearance() {
    g_cancellable_cancel(cancellable_);
    g_object_unref(cancellable_);
    g_signal_handler_disconnect(gtk_settings_get_default(), settingsHandler_);
    if (bus_ != nullptr) {
        if (subscription_ != 0) g_dbus_connection_signal_unsubscribe(bus_, subscription_);
        g_object_unref(bus_);
    }
}

bool Appearance::dark() const {
    if (scheme_ == 1) return true;
    if (scheme_ == 0 || scheme_ == 2) return false;
    return gtkPrefersDark() != FALSE;
}

void Appearance::onBus(GObject*, GAsyncResult* result, gpointer data) {
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_finish(result, &error);
    if (bus == nullptr) {
        g_error_free(error);  // no session bus (or cancelled): GTK's setting decides
        return;
    }
    auto* self = static_cast<Appearance*>(data);
    self->bus_ = bus;
    self->subscription_ = g_dbus_connection_signal_subscribe(
        bus, kPortal, kSettings, "SettingChanged", kPortalPath, kNamespace,
        G_DBUS_SIGNAL_FLAGS_NONE, &Appearance::onSettingChanged, self, nullptr);
    g_dbus_connection_call(bus, kPortal, kPortalPath, kSettings, "Read",
                           g_variant_new("(ss)", kNamespace, kKey), G_VARIANT_TYPE("(v)"),
                           G_DBUS_CALL_FLAGS_NONE, 2000, self->cancellable_, &Appearance::onRead,
                           self);
}

void Appearance::onRead(GObject* source, GAsyncResult* result, gpointer data) {
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
    if (reply == nullptr) {
        g_error_free(error);  // no portal, or no such setting
        return;
    }
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    static_cast<Appearance*>(data)->takeScheme(value);
    g_variant_unref(value);
    g_variant_unref(reply);
}

void Appearance::onSettingChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                  const gchar*, GVariant* parameters, gpointer data) {
    const gchar* ns = nullptr;
    const gchar* key = nullptr;
    GVariant* value = nullptr;
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ssv)"))) return;
    g_variant_get(parameters, "(&s&sv)", &ns, &key, &value);
    if (g_strcmp0(ns, kNamespace) == 0 && g_strcmp0(key, kKey) == 0) {
        static_cast<Appearance*>(data)->takeScheme(value);
    }
    g_variant_unref(value);
}

void Appearance::takeScheme(GVariant* value) {
    // Older portals wrap the value in one more variant.
    GVariant* inner = g_variant_ref(value);
    while (g_variant_is_of_type(inner, G_VARIANT_TYPE_VARIANT)) {
        GVariant* next = g_variant_get_variant(inner);
        g_variant_unref(inner);
        inner = next;
    }
    const int scheme = g_variant_is_of_type(inner, G_VARIANT_TYPE_UINT32)
                           ? static_cast<int>(g_variant_get_uint32(inner))
                           : -1;
    g_variant_unref(inner);
    if (scheme < 0 || scheme > 2 || scheme == scheme_) return;
    scheme_ = scheme;
    // The window's chrome follows the same preference.
    g_object_set(gtk_settings_get_default(), "gtk-application-prefer-dark-theme",
                 scheme == 1 ? TRUE : FALSE, nullptr);
    onChange_();
}

}  // namespace widgetkit::desk
