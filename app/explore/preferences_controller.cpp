#include "app/explore/preferences_controller.h"

#include <sys/stat.h>

#include <algorithm>
#include <utility>

#include "app/scan/exclusion.h"
#include "app/scan/scan.h"
#include "platform/foundation/file.h"
#include "platform/foundation/home.h"
#include "platform/foundation/localization.h"

namespace brimlet {
namespace {

std::string homeFolder() { return foundation::homeDirectory().value_or("/"); }

// The parser's line without the command-line option it names: the dialog has no options.
std::string withoutOption(std::string line) {
    for (const std::string_view option : {"--exclude: ", "--exclude "}) {
        if (line.rfind(option, 0) == 0) return line.substr(option.size());
    }
    return line;
}

}  // namespace

ScheduleCall callsOf(ScanSchedule schedule) {
    return [schedule = std::move(schedule)](ScheduleRequest request) {
        switch (request) {
            case ScheduleRequest::enable: return schedule.enable();
            case ScheduleRequest::disable: return schedule.disable();
            case ScheduleRequest::read: break;
        }
        return schedule.state();
    };
}

PreferencesController::PreferencesController(std::string settingsFile, ScheduleCall call,
                                             std::function<void()> onSchedule)
    : settingsFile_(std::move(settingsFile)),
      call_(std::move(call)),
      onSchedule_(std::move(onSchedule)),
      worker_([this] { work(); }) {
    reload();
}

PreferencesController::~PreferencesController() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void PreferencesController::reload() {
    if (settingsFile_.empty()) {
        preferences_ = {};
        changeable_ = false;
        problem_ = foundation::localizedFormat(
            "No settings file: neither XDG_CONFIG_HOME nor the home folder is known");
        return;
    }
    LoadedSettings loaded = loadSettings(settingsFile_);
    preferences_ = std::move(loaded.preferences);
    changeable_ = loaded.changeable;
    problem_ = loaded.problems.empty() ? std::string() : loaded.problems.front();
}

std::string PreferencesController::defaultFolder() const {
    return preferences_.folder.value_or(homeFolder());
}

std::vector<PinState> PreferencesController::pins() const { return pinStates(preferences_); }

bool PreferencesController::change(const std::function<void(Preferences&)>& edit) {
    if (!changeable_) return false;
    try {
        preferences_ = updateSettings(settingsFile_, edit);
        problem_.clear();
        return true;
    } catch (const SettingsError& e) {
        problem_ = e.what();
        return false;
    }
}

bool PreferencesController::setFolder(const std::string& folder) {
    struct stat st {};
    if (folder.empty() || folder.front() != '/' || ::stat(folder.c_str(), &st) != 0 ||
        !S_ISDIR(st.st_mode)) {
        problem_ = foundation::formatLocalized(foundation::localizedFormat("%@ is not a folder."),
                                               {folder});
        return false;
    }
    const bool home = foundation::canonicalPath(folder) == foundation::canonicalPath(homeFolder());
    return change([&](Preferences& p) {
        p.folder = home ? std::nullopt : std::optional<std::string>(folder);
    });
}

bool PreferencesController::addPattern(const std::string& pattern) {
    if (std::find(preferences_.exclude.begin(), preferences_.exclude.end(), pattern) !=
        preferences_.exclude.end()) {
        problem_ = foundation::formatLocalized(
            foundation::localizedFormat("%@ is already left out"), {pattern});
        return false;
    }
    const std::string root = defaultFolder();
    try {
        (void)planExclusions({pattern}, false, root,
                             foundation::canonicalPath(root).value_or(root));
    } catch (const ScanError& e) {
        problem_ = withoutOption(e.what());
        return false;
    }
    return change([&](Preferences& p) {
        if (std::find(p.exclude.begin(), p.exclude.end(), pattern) == p.exclude.end()) {
            p.exclude.push_back(pattern);
        }
    });
}

bool PreferencesController::removePattern(const std::string& pattern) {
    return change([&](Preferences& p) {
        p.exclude.erase(std::remove(p.exclude.begin(), p.exclude.end(), pattern), p.exclude.end());
    });
}

bool PreferencesController::setExcludeCaches(bool on) {
    return change([on](Preferences& p) { p.excludeCaches = on; });
}

bool PreferencesController::unpin(const std::string& path) {
    if (!changeable_) return false;
    try {
        std::vector<std::string> notes;
        unpinFolder(settingsFile_, path, notes);
        reload();
        problem_ = notes.empty() ? std::string() : notes.front();
        return true;
    } catch (const std::runtime_error& e) {  // ActionError, SettingsError
        problem_ = e.what();
        return false;
    }
}

void PreferencesController::refreshSchedule() { request(Request::read); }

void PreferencesController::setScanDaily(bool on) {
    request(on ? Request::enable : Request::disable);
}

PreferencesController::ScheduleView PreferencesController::scheduleView() const {
    std::lock_guard lock(mutex_);
    return {state_, busy_};
}

void PreferencesController::request(Request next) {
    {
        std::lock_guard lock(mutex_);
        if (next == Request::read && pending_) return;
        pending_ = next;
        busy_ = true;
    }
    wake_.notify_all();
}

void PreferencesController::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || pending_.has_value(); });
        if (stop_) return;
        const Request next = *std::exchange(pending_, std::nullopt);
        lock.unlock();
        ScheduleState answer = call_(next);
        lock.lock();
        state_ = std::move(answer);
        busy_ = pending_.has_value();
        if (stop_) return;
        lock.unlock();
        if (onSchedule_) onSchedule_();
        lock.lock();
    }
}

}  // namespace brimlet
