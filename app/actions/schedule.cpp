#include "app/actions/schedule.h"

#include <gio/gio.h>

#include <memory>
#include <stdexcept>

namespace brimlet {
namespace {

constexpr const char* kService = "org.freedesktop.systemd1";
constexpr const char* kManagerPath = "/org/freedesktop/systemd1";
constexpr const char* kManager = "org.freedesktop.systemd1.Manager";
constexpr int kTimeoutMs = 5000;
constexpr double kMicroseconds = 1e6;

struct Unavailable : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct Refused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

using Connection = std::unique_ptr<GDBusConnection, decltype(&g_object_unref)>;
using Variant = std::unique_ptr<GVariant, decltype(&g_variant_unref)>;

std::string messageOf(GError* error) {
    g_dbus_error_strip_remote_error(error);
    std::string message = error->message;
    g_error_free(error);
    return message;
}

Connection connect(const std::optional<std::string>& address) {
    GError* error = nullptr;
    GDBusConnection* bus =
        address
            ? g_dbus_connection_new_for_address_sync(
                  address->c_str(),
                  static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                    G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                  nullptr, nullptr, &error)
            : g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (bus == nullptr) throw Unavailable("no session bus: " + messageOf(error));
    return Connection(bus, &g_object_unref);
}

// Calls `method` of the manager. A manager that is not there makes the schedule unavailable;
// any other error is the manager refusing.
Variant call(GDBusConnection* bus, const char* path, const char* interface, const char* method,
             GVariant* parameters, const char* replyType) {
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        bus, kService, path, interface, method, parameters, G_VARIANT_TYPE(replyType),
        // A session bus may list systemd1 as activatable; the user manager is started by login,
        // never by this call.
        G_DBUS_CALL_FLAGS_NO_AUTO_START, kTimeoutMs, nullptr, &error);
    if (reply != nullptr) return Variant(reply, &g_variant_unref);
    const bool absent =
        g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) != FALSE ||
        g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SPAWN_CHILD_EXITED) != FALSE ||
        g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER) != FALSE ||
        g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NO_REPLY) != FALSE ||
        g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT) != FALSE ||
        g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CLOSED) != FALSE;
    std::string message = messageOf(error);
    if (absent) throw Unavailable("no systemd user manager answers (" + message + ")");
    throw Refused(message);
}

Variant managerCall(GDBusConnection* bus, const char* method, GVariant* parameters,
                    const char* replyType) {
    return call(bus, kManagerPath, kManager, method, parameters, replyType);
}

ScheduleState readState(GDBusConnection* bus) {
    ScheduleState state;
    state.available = true;
    const Variant fileState =
        managerCall(bus, "GetUnitFileState", g_variant_new("(s)", kScanTimerUnit), "(s)");
    const gchar* text = nullptr;
    g_variant_get(fileState.get(), "(&s)", &text);
    state.enabled = std::string_view(text) == "enabled";
    const Variant unit = managerCall(bus, "LoadUnit", g_variant_new("(s)", kScanTimerUnit), "(o)");
    const gchar* unitPath = nullptr;
    g_variant_get(unit.get(), "(&o)", &unitPath);
    const Variant property = call(
        bus, unitPath, "org.freedesktop.DBus.Properties", "Get",
        g_variant_new("(ss)", "org.freedesktop.systemd1.Timer", "NextElapseUSecRealtime"), "(v)");
    GVariant* boxed = nullptr;
    g_variant_get(property.get(), "(v)", &boxed);
    const Variant value(boxed, &g_variant_unref);
    if (g_variant_is_of_type(value.get(), G_VARIANT_TYPE_UINT64)) {
        const guint64 micros = g_variant_get_uint64(value.get());
        // 0 and the all-ones "infinity" both mean no next run.
        if (micros != 0 && micros != G_MAXUINT64) {
            state.nextRun =
                foundation::Date::fromUnixSeconds(static_cast<double>(micros) / kMicroseconds);
        }
    }
    return state;
}

template <class Step>
ScheduleState guarded(const std::optional<std::string>& address, Step step) {
    try {
        const Connection bus = connect(address);
        try {
            step(bus.get());
        } catch (const Refused& refused) {
            ScheduleState state = readState(bus.get());
            state.reason = refused.what();
            return state;
        }
        return readState(bus.get());
    } catch (const Unavailable& e) {
        return ScheduleState{false, e.what(), false, std::nullopt};
    } catch (const Refused& e) {
        return ScheduleState{false,
                             std::string("the user manager cannot say how ") + kScanTimerUnit +
                                 " stands: " + e.what(),
                             false, std::nullopt};
    }
}

}  // namespace

ScheduleState ScanSchedule::state() const {
    return guarded(busAddress_, [](GDBusConnection*) {});
}

ScheduleState ScanSchedule::enable() const {
    return guarded(busAddress_, [](GDBusConnection* bus) {
        const char* units[] = {kScanTimerUnit, nullptr};
        managerCall(bus, "EnableUnitFiles", g_variant_new("(^asbb)", units, FALSE, FALSE),
                    "(ba(sss))");
        managerCall(bus, "Reload", nullptr, "()");
        managerCall(bus, "StartUnit", g_variant_new("(ss)", kScanTimerUnit, "replace"), "(o)");
    });
}

ScheduleState ScanSchedule::disable() const {
    return guarded(busAddress_, [](GDBusConnection* bus) {
        const char* units[] = {kScanTimerUnit, nullptr};
        managerCall(bus, "StopUnit", g_variant_new("(ss)", kScanTimerUnit, "replace"), "(o)");
        managerCall(bus, "DisableUnitFiles", g_variant_new("(^asb)", units, FALSE), "(a(sss))");
        managerCall(bus, "Reload", nullptr, "()");
    });
}

}  // namespace brimlet
