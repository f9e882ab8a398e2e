#pragma once
// The Preferences dialog's display-free half: turns each change of a control into one locked
// read-change-write of the settings file, refuses what a scan would refuse, and talks to the
// user manager about "Scan every day" on a thread of its own, so the window never waits for it.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/actions/pins.h"
#include "app/actions/schedule.h"
#include "app/settings/settings.h"

namespace brimlet {

enum class ScheduleRequest { read, enable, disable };

// Answers one request about the daily scan's timer, blocking until the user manager has answered:
// ScanSchedule's state(), enable() and disable().
using ScheduleCall = std::function<ScheduleState(ScheduleRequest)>;

// The calls of `schedule`, for a PreferencesController.
ScheduleCall callsOf(ScanSchedule schedule);

class PreferencesController {
public:
    // `settingsFile`: the settings file (settingsPath()); empty when none can be found, which
    // leaves every preference unchangeable. `call`: how "Scan every day" reaches the user
    // manager (callsOf(ScanSchedule()) in the app); it only ever runs on the controller's own
    // thread, one call at a time. `onSchedule` runs on that thread each time a call has ended
    // (the window marshals it to its main loop, then reads scheduleView()). Reads the settings
    // at once; calls nothing until refreshSchedule() or setScanDaily().
    PreferencesController(std::string settingsFile, ScheduleCall call,
                          std::function<void()> onSchedule);
    // Waits for a call to the manager in flight (at most a few seconds); drops queued ones.
    ~PreferencesController();
    PreferencesController(const PreferencesController&) = delete;
    PreferencesController& operator=(const PreferencesController&) = delete;

    // ---- The settings file. Called from one thread (the window's), never from onSchedule.

    // Reads the settings file again, as another program may have changed it.
    void reload();
    // The preferences as last read or stored.
    const Preferences& preferences() const { return preferences_; }
    // False when the file cannot be read or is not a key file: every change below is refused,
    // and problem() says why.
    bool changeable() const { return changeable_; }
    // One line: why the last change was refused, else the file's first problem when last read;
    // empty when there is none.
    const std::string& problem() const { return problem_; }
    // The folder a scan without a folder reads: the stored one, else the home folder.
    std::string defaultFolder() const;
    // The pinned folders, each marked when missing.
    std::vector<PinState> pins() const;

    // Each change below is one read-change-write of the file under its lock, applied to what
    // the file holds then (so a concurrent `brimlet pin` is kept), after which preferences()
    // is what was stored. Each returns false, with problem() saying why in one line, when the
    // change is refused or cannot be written; nothing is then changed.

    // The folder scanned by default: an absolute path to an existing folder; the home folder
    // is stored as no folder at all.
    bool setFolder(const std::string& folder);
    // Adds a pattern at the end, checked as `--exclude` checks it against the folder scanned by
    // default; a pattern already in the list is refused.
    bool addPattern(const std::string& pattern);
    bool removePattern(const std::string& pattern);
    bool setExcludeCaches(bool on);
    // Unpins and rewrites the snapshot's areas, as `brimlet unpin` does.
    bool unpin(const std::string& path);

    // ---- "Scan every day". Safe from any thread.

    struct ScheduleView {
        std::optional<ScheduleState> state;  // as the manager last answered; absent before that
        bool busy = false;                   // a call is in flight or queued
    };
    // Asks the manager for the timer's state. Never waits.
    void refreshSchedule();
    // Enables or disables the timer. Never waits. Requests made while a call is in flight are
    // coalesced: the last one wins, and a mere refresh never displaces a change.
    void setScanDaily(bool on);
    ScheduleView scheduleView() const;

private:
    using Request = ScheduleRequest;

    bool change(const std::function<void(Preferences&)>& edit);
    void request(Request next);
    void work();

    std::string settingsFile_;
    Preferences preferences_;
    bool changeable_ = true;
    std::string problem_;

    const ScheduleCall call_;
    const std::function<void()> onSchedule_;
    mutable std::mutex mutex_;  // guards the four below
    std::condition_variable wake_;
    std::optional<Request> pending_;
    std::optional<ScheduleState> state_;
    bool busy_ = false;
    bool stop_ = false;
    std::thread worker_;  // last: started once everything above is built
};

}  // namespace brimlet
