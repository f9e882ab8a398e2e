#include "platform/widgetkit/desk/appearance.h"

#include <gtkmm/settings.h>

namespace widgetkit::desk {
namespace {

constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kSettings = "org.freedesktop.portal.Settings";
constexpr const char* kNamespace = "org.freedesktop.appearance";
constexpr const char* kKey = "color-scheme";
// Milliseconds the portal has to answer; the window shows GTK's preference meanwhile.
constexpr int kPortalTimeoutMs = 2000;

}  // namespace

Appearance::Appearance(const Glib::RefPtr<Gio::DBus::Connection>& bus,
                       std::function<void()> onChange)
    : onChange_(std::move(onChange)), bus_(bus) {
    settingChanged_ = Gtk::Settings::get_default()
                          ->property_gtk_application_prefer_dark_theme()
                          .signal_changed()
                          .connect([this] {
                              if (scheme_ < 0) onChange_();
                          });
    if (!bus_) return;
    subscription_ = bus_->signal_subscribe(
        [this](const Glib::RefPtr<Gio::DBus::Connection>&, const Glib::ustring&,
               const Glib::ustring&, const Glib::ustring&, const Glib::ustring&,
               const Glib::VariantContainerBase& parameters) {
            if (parameters.get_type_string() != "(ssv)") return;
            Glib::Variant<Glib::ustring> ns, key;
            parameters.get_child(ns, 0);
            parameters.get_child(key, 1);
            Glib::VariantBase value;
            parameters.get_child(value, 2);
            if (ns.get() == kNamespace && key.get() == kKey) takeScheme(value);
        },
        kPortal, kSettings, "SettingChanged", kPortalPath, kNamespace);
    const auto request =
        Glib::VariantContainerBase::create_tuple({Glib::Variant<Glib::ustring>::create(kNamespace),
                                                  Glib::Variant<Glib::ustring>::create(kKey)});
    bus_->call(
        kPortalPath, kSettings, "Read", request,
        [this, bus = bus_](const Glib::RefPtr<Gio::AsyncResult>& result) {
            try {
                takeScheme(bus->call_finish(result).get_child(0));
            } catch (const Glib::Error&) {
                // No portal, no such setting, or cancelled: GTK's setting decides.
            }
        },
        cancellable_, kPortal, kPortalTimeoutMs);
}

Appearance::~Appearance() {
    cancellable_->cancel();
    settingChanged_.disconnect();
    if (bus_ && subscription_ != 0) bus_->signal_unsubscribe(subscription_);
}

bool Appearance::dark() const {
    if (scheme_ == 1) return true;
    if (scheme_ == 0 || scheme_ == 2) return false;
    return Gtk::Settings::get_default()->property_gtk_application_prefer_dark_theme().get_value();
}

void Appearance::takeScheme(Glib::VariantBase value) {
    // Older portals wrap the value in one more variant.
    while (value.is_of_type(Glib::VARIANT_TYPE_VARIANT)) {
        value = Glib::VariantBase::cast_dynamic<Glib::Variant<Glib::VariantBase>>(value).get();
    }
    const int scheme =
        value.is_of_type(Glib::VARIANT_TYPE_UINT32)
            ? static_cast<int>(Glib::VariantBase::cast_dynamic<Glib::Variant<guint32>>(value).get())
            : -1;
    if (scheme < 0 || scheme > 2 || scheme == scheme_) return;
    scheme_ = scheme;
    // The window's chrome follows the same preference.
    Gtk::Settings::get_default()->property_gtk_application_prefer_dark_theme() = scheme == 1;
    onChange_();
}

}  // namespace widgetkit::desk
