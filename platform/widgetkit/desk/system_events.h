#pragma once
// The machine's events that make a live host reload every widget: waking from suspend (logind's
// PrepareForSleep on the system bus) and the wall clock jumping (a timer that the kernel cancels
// when the clock is set). Without a system bus the desk simply does without the first.

#include <gio/gio.h>

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
    static void onSystemBus(GObject* source, GAsyncResult* result, gpointer self);
    static void onPrepareForSleep(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                  const gchar*, GVariant* parameters, gpointer self);
    static gboolean onClockSet(gint fd, GIOCondition, gpointer self);
    bool armClockWatch();

    std::function<void()> onWake_;
    GCancellable* cancellable_ = nullptr;
    GDBusConnection* systemBus_ = nullptr;
    guint sleepSubscription_ = 0;
    int clockFd_ = -1;
    guint clockSource_ = 0;
};

}  // namespace widgetkit::desk
