#pragma once
// "Start at Login": the desk's entry in the desktop's autostart folder
// ($XDG_CONFIG_HOME/autostart, by default ~/.config/autostart).

#include <optional>
#include <string>

#include "platform/foundation/status.h"

namespace widgetkit::desk {

// The entry's path; nullopt without a home folder (and no absolute XDG_CONFIG_HOME).
std::optional<std::string> autostartPath();

// Whether the entry exists.
bool startsAtLogin();

// Writes the entry (atomically, starting `program`, an absolute path) or removes it. A folder or
// file that cannot be written fails with the reason; removing an absent entry succeeds.
foundation::Status setStartAtLogin(bool on, const std::string& program);

}  // namespace widgetkit::desk
