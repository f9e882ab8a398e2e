#include "platform/widgetkit/desk/desk_application.h"
#include "platform/foundation/localization.h"

#include <giomm/notification.h>
#include <gtkmm/aboutdialog.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/stylecontext.h>

#include "platform/foundation/version.h"
#include "platform/widgetkit/desk/open_brimlet.h"
#include "platform/widgetkit/user_notifications.h"

// The window, menus, dialogs and style sheet compiled into the program (desk.gresource.xml).
extern "C" void brimlet_desk_register_resource(void);

namespace widgetkit::desk {

Glib::RefPtr<DeskApplication> DeskApplication::create(std::unique_ptr<DeskSession> session,
                                                      DeskOptions options) {
    static const bool registered = (brimlet_desk_register_resource(), true);
    (void)registered;
    return Glib::make_refptr_for_instance(
        new DeskApplication(std::move(session), std::move(options)));
}

DeskApplication::DeskApplication(std::unique_ptr<DeskSession> session, DeskOptions options)
    : Gtk::Application("org.brimlet.Brimlet.Desk", options.screenshot.empty()
                                                       ? Gio::Application::Flags::DEFAULT_FLAGS
                                                       : Gio::Application::Flags::NON_UNIQUE),
      session_(std::move(session)),
      options_(std::move(options)) {
    // Nothing is loaded from the resources by convention: the window, menus and style sheet are
    // named where they are used. The convention would also add the resources' icon folder to the
    // icon theme while GTK indexes the theme on a worker thread, which discards that index: the
    // header bar's first icon would then index the whole theme again on the main thread.
    unset_resource_base_path();
}

DeskApplication::~DeskApplication() { UserNotificationCenter::current().setDelivery({}); }

void DeskApplication::on_startup() {
    Gtk::Application::on_startup();
    add_action("open-brimlet", [this] {
        if (const auto status = openBrimlet({}, get_dbus_connection()); !status) {
            if (window_) window_->showProblem(status.message());
        }
    });
    add_action("about", [this] { showAbout(); });
    add_action("quit", [this] { quit(); });
    set_accel_for_action("app.quit", "<Control>q");
    set_accel_for_action("app.open-brimlet", "<Control>o");
    set_accel_for_action("win.add-widget", "<Control>n");
    set_accel_for_action("win.reload-all", "<Control>r");

    auto css = Gtk::CssProvider::create();
    css->load_from_resource("/org/brimlet/Brimlet/Desk/desk.css");
    Gtk::StyleContext::add_provider_for_display(Gdk::Display::get_default(), css,
                                                GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);

    // The widgets' notifications, asked for on request threads, are sent from the main loop.
    UserNotificationCenter::current().setDelivery(
        [token = lifetime_.token(), this](const NotificationRequest& request) {
            Glib::MainContext::get_default()->invoke([token, this, request] {
                if (const auto alive = token.lock(); alive && *alive) deliver(request);
                return false;
            });
        });
}

void DeskApplication::on_activate() {
    if (!window_ && session_) {
        window_.reset(DeskWindow::create(*this, std::move(session_), options_));
    }
    if (window_) window_->present();
}

// Notifications go over the session bus; without one there is nobody to tell.
void DeskApplication::deliver(const NotificationRequest& request) {
    if (!get_dbus_connection()) return;
    auto notification = Gio::Notification::create(request.title);
    notification->set_body(request.body);
    notification->set_priority(Gio::Notification::Priority::HIGH);
    send_notification(request.identifier, notification);
}

void DeskApplication::showAbout() {
    auto about = std::make_unique<Gtk::AboutDialog>();
    about->set_program_name(foundation::localizedFormat("Brimlet Desk"));
    about->set_version(std::string(foundation::projectVersion()));
    about->set_comments(
        foundation::localizedFormat("Your Brimlet widgets on the desktop, kept current."));
    about->set_logo_icon_name("org.brimlet.Brimlet.Desk");
    about->set_modal(true);
    about->set_hide_on_close(true);
    if (window_) about->set_transient_for(*window_);
    about->present();
    about_ = std::move(about);
}

}  // namespace widgetkit::desk
