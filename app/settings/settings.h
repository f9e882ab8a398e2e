#pragma once
// The person's preferences, shared by the app and every `brimlet` command: one GLib key file,
// `$XDG_CONFIG_HOME/brimlet/brimlet.conf` (or ~/.config/brimlet/brimlet.conf).
//
//   [Scan]
//   Folder=/home/ada            the folder a scan without ROOT reads (absent: the home folder)
//   Exclude=*.iso;node_modules; the --exclude patterns, a key-file string list
//   ExcludeCaches=true          --exclude-caches
//   [Pins]
//   Folders=/home/ada/Videos;   pinned folders, absolute paths, in the order they were pinned
//
// Reading never fails: a file that is missing gives the defaults; a file that is not a key file,
// an unknown group or key, and a value of the wrong type each give one problem line naming the
// file and the key, and the default for what could not be read. Reading never writes.
//
// Changing reads, changes and writes under an exclusive lock (`brimlet.conf.lock` beside the
// file), so concurrent writers, in any process, never lose each other's change. Only the keys
// whose value changed are written; every other line of the file (unknown keys, values of the
// wrong type, comments) stays as the person wrote it. A file that cannot be read or is not a key
// file is never replaced: a change is refused until the person mends or removes it.
//
// Both calls are safe from any number of threads and processes at once.

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace brimlet {

struct Preferences {
    std::optional<std::string> folder;  // [Scan] Folder: absolute; absent means the home folder
    std::vector<std::string> exclude;   // [Scan] Exclude: non-empty patterns, as given
    bool excludeCaches = false;         // [Scan] ExcludeCaches
    std::vector<std::string> pins;      // [Pins] Folders: absolute, no duplicates, pinning order
};

// A settings file that cannot be changed or written, with a message fit for one line.
class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// `$XDG_CONFIG_HOME/brimlet/brimlet.conf` when XDG_CONFIG_HOME is absolute, else
// `<home>/.config/brimlet/brimlet.conf`; nullopt when neither can be found.
std::optional<std::string> settingsPath();

struct LoadedSettings {
    Preferences preferences;
    // One line each: "<file>: [Group] Key: what is wrong; what is used instead".
    std::vector<std::string> problems;
    // False when the file cannot be read or is not a key file: updateSettings refuses every
    // change until the person mends or removes it.
    bool changeable = true;
};

// The preferences stored at `path`. Never throws, never writes.
LoadedSettings loadSettings(const std::string& path);

// The preferences in `text`, the contents of a settings file that problems name `name`. Never
// throws.
LoadedSettings parseSettings(std::string_view text, const std::string& name);

// Applies `change` to the stored preferences and stores the result, all under the lock; the file
// (and its folder, mode 0700) is created when missing and left untouched when `change` changes
// nothing. Returns the preferences as stored afterwards. Throws SettingsError when the file
// cannot be read or is not a key file (nothing is written), when a value is not UTF-8 (a key file
// cannot hold it), or when locking or writing fails (the old file stays whole). `change` runs
// while the lock is held and must not change the settings itself.
Preferences updateSettings(const std::string& path,
                           const std::function<void(Preferences&)>& change);

}  // namespace brimlet
