#pragma once
// "Scan every day": brimlet-scan.timer, enabled or disabled through the systemd user manager's
// D-Bus interface (org.freedesktop.systemd1 on the session bus), never by running systemctl.

#include <optional>
#include <string>

#include "platform/foundation/date.h"

namespace brimlet {

inline constexpr const char* kScanTimerUnit = "brimlet-scan.timer";

struct ScheduleState {
    // False when no user manager answers; `reason` then says why, in one line, and nothing else
    // holds.
    bool available = false;
    std::string reason;
    bool enabled = false;  // the timer's unit file is enabled
    // The timer's next run (NextElapseUSecRealtime); absent when it is not running or the manager
    // knows no next run.
    std::optional<foundation::Date> nextRun;
};

// Talks to the user manager on the bus at `busAddress` (a D-Bus address), or on the session bus
// when absent. Each call blocks until the manager answers (at most a few seconds): the app calls
// it away from its window's thread. Safe to use from one thread at a time.
class ScanSchedule {
public:
    explicit ScanSchedule(std::optional<std::string> busAddress = std::nullopt)
        : busAddress_(std::move(busAddress)) {}

    // The timer's state now.
    ScheduleState state() const;

    // Enables the timer's unit file, reloads the manager and starts the timer (what
    // `systemctl --user enable --now` does); returns the state afterwards. A refusal from the
    // manager is `available` with the state unchanged and `reason` holding the manager's message.
    ScheduleState enable() const;

    // Stops the timer and disables its unit file, then reloads; returns the state afterwards.
    ScheduleState disable() const;

private:
    std::optional<std::string> busAddress_;
};

}  // namespace brimlet
