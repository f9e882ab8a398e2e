#include "app/gui/appearance.h"

#include <gtkmm/settings.h>

namespace brimlet::gui {
namespace {

constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kSettings = "org.freedesktop.portal.Settings";
constexpr const char* kNamespace = "org.freedesktop.appearance";
constexpr const char* kKey = "color-scheme";

}  // namespace

Appearance::Appearance(bool useSessionBus, std::function<void()> onChange)
    : onChange_(std::move(onChange)) {
    settingChanged_ = Gtk::Settings::get_default()
                          ->property_gtk_application_prefer_dark_theme()
                          .signal_changed()
                          .connect([this] { onChange_(); });
    if (!useSessionBus) return;
    Gio::DBus::Connection::get(Gio::DBus::BusType::SESSION,
                               sigc::mem_fun(*this, &Appearance::onBus), cancellable_);
}

Appearance::~Appearance() {
    cancellable_->cancel();
    settingChanged_.disconnect();
    if (bus_ && subscription_ != 0) bus_->signal_unsubscribe(subscription_);
}

void Appearance::onBus(Glib::RefPtr<Gio::AsyncResult>& result) {
    try {
        bus_ = Gio::DBus::Connection::get_finish(result);
    } catch (const Glib::Error&) {
        return;  // no session bus (or cancelled): GTK's setting decides
    }
    subscription_ = bus_->signal_subscribe(
        [this](const Glib::RefPtr<Gio::DBus::Connection>&, const Glib::ustring&,
               const Glib::ustring&, const Glib::ustring&, const Glib::ustring&,
               const Glib::VariantContainerBase& parameters) {
            const gchar* ns = nullptr;
            const gchar* key = nullptr;
            GVariant* value = nullptr;
            if (!parameters.is_of_type(Glib::VariantType("(ssv)"))) return;
            g_variant_get(const_cast<GVariant*>(parameters.gobj()), "(&s&sv)", &ns, &key, &value);
            if (g_strcmp0(ns, kNamespace) == 0 && g_strcmp0(key, kKey) == 0) takeScheme(value);
            g_variant_unref(value);
        },
        kPortal, kSettings, "SettingChanged", kPortalPath, kNamespace);
    const auto request =
        Glib::VariantContainerBase::create_tuple({Glib::Variant<Glib::ustring>::create(kNamespace),
                                                  Glib::Variant<Glib::ustring>::create(kKey)});
    bus_->call(kPortalPath, kSettings, "Read", request, sigc::mem_fun(*this, &Appearance::onRead),
               cancellable_, kPortal, 2000);
}

void Appearance::onRead(Glib::RefPtr<Gio::AsyncResult>& result) {
    try {
        const Glib::VariantContainerBase reply = bus_->call_finish(result);
        Glib::VariantBase value;
        reply.get_child(value, 0);
        takeScheme(const_cast<GVariant*>(value.gobj()));
    } catch (const Glib::Error&) {
        // no portal, or no such setting: GTK's setting decides
    }
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
    // Setting it notifies the connection above, which calls onChange_.
    Gtk::Settings::get_default()->property_gtk_application_prefer_dark_theme() = scheme == 1;
}

}  // namespace brimlet::gui
