#include "app/cli/settings_commands.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

#include "app/actions/pins.h"
#include "app/actions/schedule.h"
#include "app/scan/scan.h"
#include "platform/foundation/command.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/file.h"
#include "platform/foundation/json_writer.h"

namespace brimlet {
namespace {

// Writes the whole answer to standard output. Throws CommandError when it cannot.
int output(const Console& console, std::string_view text) {
    if (!foundation::writeAll(console.out, text)) {
        throw foundation::CommandError(std::string("standard output: ") + std::strerror(errno));
    }
    return foundation::kExitSuccess;
}

// Runs a change of the pins, reporting its notes. Throws CommandError when it fails; the notes
// gathered until then are reported first.
template <class Change>
int changePins(const Console& console, Change change) {
    const auto path = settingsPath();
    if (!path) {
        throw foundation::CommandError("no settings file: neither XDG_CONFIG_HOME nor HOME is set");
    }
    for (const std::string& problem : loadSettings(*path).problems) reportLine(console, problem);
    std::vector<std::string> notes;
    try {
        change(*path, notes);
    } catch (const std::exception& e) {
        for (const std::string& note : notes) reportLine(console, note);
        throw foundation::CommandError(e.what());
    }
    for (const std::string& note : notes) reportLine(console, note);
    return foundation::kExitSuccess;
}

std::string localTime(foundation::Date instant) {
    const auto seconds = static_cast<std::time_t>(instant.unixSeconds());
    std::tm parts{};
    char text[32];
    if (::localtime_r(&seconds, &parts) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &parts) == 0) {
        return "unknown";
    }
    return text;
}

}  // namespace

void reportLine(const Console& console, std::string_view message) {
    (void)foundation::writeAll(console.err, foundation::messageLine("brimlet", message));
}

Preferences reportedPreferences(const Console& console) {
    const auto path = settingsPath();
    if (!path) return {};
    LoadedSettings loaded = loadSettings(*path);
    for (const std::string& problem : loaded.problems) reportLine(console, problem);
    return std::move(loaded.preferences);
}

int pinCommand(const std::string& path, const Console& console) {
    return changePins(console, [&](const std::string& file, std::vector<std::string>& notes) {
        (void)pinFolder(file, path, notes);
    });
}

int unpinCommand(const std::string& path, const Console& console) {
    return changePins(console, [&](const std::string& file, std::vector<std::string>& notes) {
        (void)unpinFolder(file, path, notes);
    });
}

int pinsCommand(bool json, const Console& console) {
    const std::vector<PinState> pins = pinStates(reportedPreferences(console));
    if (json) {
        foundation::JsonWriter writer(2);
        writer.beginArray();
        for (const PinState& pin : pins) {
            writer.beginObject().member("path", pin.path).member("missing", pin.missing);
            writer.endObject();
        }
        writer.endArray();
        const auto text = writer.result();
        if (!text) throw foundation::CommandError("a pinned path is not UTF-8");
        return output(console, *text + "\n");
    }
    std::string text;
    for (const PinState& pin : pins) {
        text += foundation::escapeForTerminal(pin.path) + (pin.missing ? "  (missing)\n" : "\n");
    }
    return output(console, text);
}

int scheduleCommand(const std::string& action, const Console& console) {
    const ScanSchedule schedule;
    const ScheduleState state = action == "on"    ? schedule.enable()
                                : action == "off" ? schedule.disable()
                                                  : schedule.state();
    if (!state.available) {
        (void)output(console, "unavailable: " + foundation::escapeForTerminal(state.reason) + "\n");
        return 1;
    }
    if (!state.reason.empty()) reportLine(console, state.reason);
    std::string line = state.enabled ? "on" : "off";
    if (state.enabled && state.nextRun) line += ", next run " + localTime(*state.nextRun);
    const int status = output(console, line + "\n");
    return state.reason.empty() ? status : 1;
}

}  // namespace brimlet
