#pragma once
// The commands over the person's preferences: `brimlet pin PATH`, `brimlet unpin PATH`,
// `brimlet pins [--json]` and `brimlet schedule [on|off|status]`, and the preferences every
// scan reads. Results go to the console's `out`, notes to `err` as one line each starting
// "brimlet: "; each returns the exit status and throws foundation::CommandError when it fails
// (the command line's boundary writes its one line).

#include <optional>
#include <string>

#include "app/cli/command_line.h"
#include "app/settings/settings.h"

namespace brimlet {

// The stored preferences, each problem of the settings file reported; the defaults when there
// is no settings file to be found.
Preferences reportedPreferences(const Console& console);

// Writes `message` to the console's `err` as one "brimlet: " line.
void reportLine(const Console& console, std::string_view message);

int pinCommand(const std::string& path, const Console& console);
int unpinCommand(const std::string& path, const Console& console);

// One pinned folder a line, "  (missing)" after a missing one; with `json` an array of
// {"path": ..., "missing": ...} objects.
int pinsCommand(bool json, const Console& console);

// `action` is "on", "off" or "status". Prints "on, next run YYYY-MM-DD HH:MM" (local time; the
// next run only when the manager knows one), "off", or "unavailable: REASON", which exits 1.
int scheduleCommand(const std::string& action, const Console& console);

}  // namespace brimlet
