#pragma once
// Pinned folders: the areas of the Disk Breakdown widget that the person chose. Pinning and
// unpinning change the settings (settings.h) and rewrite the shared snapshot at once, so the
// widget's picker follows without waiting for the next scan.

#include <stdexcept>
#include <string>
#include <vector>

#include "app/settings/settings.h"

namespace brimlet {

// An action that could not be done, with a message fit for one line; nothing was changed.
class ActionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct PinState {
    std::string path;
    bool missing = false;  // no folder there now: kept in the list, left out of every snapshot
};

// The pinned folders, in pinning order, each marked when missing.
std::vector<PinState> pinStates(const Preferences& preferences);

// Pins the folder at `path` (resolved to its canonical path, which is what is stored) and
// rewrites the snapshot's areas (see refreshPinnedAreas). Pinning a pinned folder changes
// nothing. Throws ActionError when `path` is not an existing folder, SettingsError when the
// settings cannot be changed. Notes on the snapshot go to `notes`, one line each.
std::string pinFolder(const std::string& settingsFile, const std::string& path,
                      std::vector<std::string>& notes);

// Unpins the folder at `path`, matched by its canonical path or, for a folder that no longer
// exists, by the absolute path lexically normalized; then rewrites the snapshot's areas. Returns
// the path unpinned. Throws ActionError when it is not pinned.
std::string unpinFolder(const std::string& settingsFile, const std::string& path,
                        std::vector<std::string>& notes);

// Rewrites the shared snapshot's areas for `preferences`, without a rescan, when its scanned
// folder is known (published.h): the areas become the pinned folders inside that folder, as a
// scan without --area would make them (preferred_scan.h), each taken from the snapshot when it
// already has that area, else read by walking just that folder with the stored exclusions.
// When no pin lies inside the scanned folder, the areas are kept, less the one named after
// `unpinned` (a path relative to nothing when empty); the next scan brings back the default
// areas. Without a known snapshot nothing is written and a note says the next scan will do it.
void refreshPinnedAreas(const Preferences& preferences, const std::string& unpinned,
                        std::vector<std::string>& notes);

}  // namespace brimlet
