#include "platform/widgetkit/desk/system_events.h"

#include <glib-unix.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>

namespace widgetkit::desk {

SystemEvents::SystemEvents(std::function<void()> onWake)
    : onWake_(std::move(onWake)), cancellable_(g_cancellable_new()) {
    g_bus_get(G_BUS_TYPE_SYSTEM, cancellable_, &SystemEvents::onSystemBus, this);
    clockFd_ = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (clockFd_ >= 0 && armClockWatch()) {
        clockSource_ = g_unix_fd_add(clockFd_, G_IO_IN, &SystemEvents::onClockSet, this);
    }
}

SystemEvents::~SystemEvents() {
    g_cancellable_cancel(cancellable_);
    g_object_unref(cancellable_);
    if (systemBus_ != nullptr) {
        if (sleepSubscription_ != 0)
            g_dbus_connection_signal_unsubscribe(systemBus_, sleepSubscription_);
        g_object_unref(systemBus_);
    }
    if (clockSource_ != 0) g_source_remove(clockSource_);
    if (clockFd_ >= 0) close(clockFd_);
}

void SystemEvents::onSystemBus(GObject*, GAsyncResult* result, gpointer data) {
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_finish(result, &error);
    if (bus == nullptr) {
        // No system bus (a bare X server, a container): no resume signal. Cancelled on
        // destruction: `data` is gone.
        g_error_free(error);
        return;
    }
    auto* self = static_cast<SystemEvents*>(data);
    self->systemBus_ = bus;
    self->sleepSubscription_ = g_dbus_connection_signal_subscribe(
        bus, "org.freedesktop.login1", "org.freedesktop.login1.Manager", "PrepareForSleep",
        "/org/freedesktop/login1", nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
        &SystemEvents::onPrepareForSleep, self, nullptr);
}

void SystemEvents::onPrepareForSleep(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                     const gchar*, GVariant* parameters, gpointer data) {
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)"))) return;
    gboolean goingToSleep = FALSE;
    g_variant_get(parameters, "(b)", &goingToSleep);
    // false: the machine has just woken up.
    if (!goingToSleep) static_cast<SystemEvents*>(data)->onWake_();
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

gboolean SystemEvents::onClockSet(gint fd, GIOCondition, gpointer data) {
    auto* self = static_cast<SystemEvents*>(data);
    std::uint64_t expirations = 0;
    const ssize_t n = read(fd, &expirations, sizeof expirations);
    const bool jumped = n < 0 && errno == ECANCELED;
    if (!self->armClockWatch()) {
        self->clockSource_ = 0;
        return G_SOURCE_REMOVE;
    }
    if (jumped) self->onWake_();
    return G_SOURCE_CONTINUE;
}

}  // namespace widgetkit::desk
