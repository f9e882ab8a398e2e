#pragma once
// brimlet-desk's application (org.brimlet.Brimlet.Desk): one desk window, the app-wide actions
// and their accelerators, and the delivery of the widgets' notifications.

#include <gtkmm/application.h>

#include <memory>

#include "platform/widgetkit/configuration.h"
#include "platform/widgetkit/desk/desk_window.h"
#include "platform/widgetkit/user_notifications.h"

namespace widgetkit::desk {

class DeskApplication : public Gtk::Application {
public:
    // `session` is handed to the window. A screenshot run is not unique: it never hands over to
    // a desk already open.
    static Glib::RefPtr<DeskApplication> create(std::unique_ptr<DeskSession> session,
                                                DeskOptions options);
    ~DeskApplication() override;

    // Exit status of a screenshot run: 0 written (or none asked), 1 failed.
    int status() const { return window_ ? window_->status() : status_; }

protected:
    DeskApplication(std::unique_ptr<DeskSession> session, DeskOptions options);
    void on_startup() override;
    void on_activate() override;

private:
    void showAbout();
    void deliver(const NotificationRequest& request);

    std::unique_ptr<DeskSession> session_;  // until the window takes it
    DeskOptions options_;
    std::unique_ptr<DeskWindow> window_;
    std::unique_ptr<Gtk::Window> about_;
    int status_ = 0;
    Lifetime lifetime_;
};

}  // namespace widgetkit::desk
