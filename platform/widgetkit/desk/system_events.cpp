#include "platform/widgetkit/desk/system_events.h"

#include <glibmm/main.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>

namespace widgetkit::desk {

SystemEvents::SystemEvents(std::function<void()> onWake) : onWake_(std::move(onWake)) {
    Gio::DBus::Connection::get(
        Gio::DBus::BusType::SYSTEM,
        [this, cancellable = cancellable_](const Glib::RefPtr<Gio::AsyncResult>& result) {
            if (cancellable->is_cancelled()) return;  // `this` is gone
            try {
                watchSleep(Gio::DBus::Connection::get_finish(result));
            } catch (const Glib::Error&) {
                // No system bus (a bare X server, a container): no resume signal.
            }
        },
        cancellable_);
    clockFd_ = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (clockFd_ >= 0 && armClockWatch()) {
        clockSource_ = Glib::signal_io().connect(sigc::mem_fun(*this, &SystemEvents::onClockSet),
                                                 clockFd_, Glib::IOCondition::IO_IN);
    }
}

SystemEvents::~SystemEvents() {
    cancellable_->cancel();
    if (systemBus_ && sleepSubscription_ != 0) systemBus_->signal_unsubscribe(sleepSubscription_);
    clockSource_.disconnect();
    if (clockFd_ >= 0) close(clockFd_);
}

void SystemEvents::watchSleep(const Glib::RefPtr<Gio::DBus::Connection>& bus) {
    systemBus_ = bus;
    sleepSubscription_ = bus->signal_subscribe(
        [this](const Glib::RefPtr<Gio::DBus::Connection>&, const Glib::ustring&,
               const Glib::ustring&, const Glib::ustring&, const Glib::ustring&,
               const Glib::VariantContainerBase& parameters) {
            if (parameters.get_type_string() != "(b)") return;
            Glib::Variant<bool> goingToSleep;
            parameters.get_child(goingToSleep, 0);
            // false: the machine has just woken up.
            if (!goingToSleep.get()) onWake_();
        },
        "org.freedesktop.login1", "org.freedesktop.login1.Manager", "PrepareForSleep",
        "/org/freedesktop/login1");
}

// A timer a year ahead that the kernel cancels (ECANCELED on read) whenever the realtime clock
// is set: no wake-ups while the clock runs normally.
bool SystemEvents::armClockWatch() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    itimerspec expiry{};
    expiry.it_value.tv_sec = now.tv_sec + 365L * 24 * 3600;
    return timerfd_settime(clockFd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &expiry,
                           nullptr) == 0;
}

bool SystemEvents::onClockSet(Glib::IOCondition) {
    std::uint64_t expirations = 0;
    const ssize_t n = read(clockFd_, &expirations, sizeof expirations);
    const bool jumped = n < 0 && errno == ECANCELED;
    if (!armClockWatch()) return false;
    if (jumped) onWake_();
    return true;
}

}  // namespace widgetkit::desk
