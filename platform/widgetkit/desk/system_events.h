#pragma once
// The machine's events that make a live host reload every widget: waking from suspend (logind's
// PrepareForSleep on the system bus) and the wall clock jumping (a timer that the kernel cancels
// when the clock is set). Without a system bus the desk simply does without the first.

#include <giomm/cancellable.h>
#include <giomm/dbusconnection.h>
#include <glibmm/iochannel.h>

#include <functional>

namespace widgetkit::desk {

class SystemEvents {
public:
    // `onWake` runs on the main loop's thread after a resume or a jump of the wall clock.
    explicit SystemEvents(std::function<void()> onWake);
    ~SystemEvents();
    SystemEvents(const SystemEvents&) = delete;
    SystemEvents& operator=(const SystemEvents&) = delete;

private:
    void watchSleep(const Glib::RefPtr<Gio::DBus::Connection>& bus);
    bool armClockWatch();
    bool onClockSet(Glib::IOCondition);

    std::function<void()> onWake_;
    Glib::RefPtr<Gio::Cancellable> cancellable_ = Gio::Cancellable::create();
    Glib::RefPtr<Gio::DBus::Connection> systemBus_;
    guint sleepSubscription_ = 0;
    int clockFd_ = -1;
    sigc::connection clockSource_;
};

}  // namespace widgetkit::desk
