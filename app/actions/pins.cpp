#include "app/actions/pins.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "app/actions/published.h"
#include "app/scan/scan.h"
#include "app/settings/preferred_scan.h"
#include "platform/foundation/file.h"

namespace brimlet {
namespace {

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// `path` made absolute against the working folder and normalized without touching the disk.
std::string lexicalAbsolute(const std::string& path) {
    std::error_code error;
    std::string out = std::filesystem::absolute(path, error).lexically_normal().string();
    while (out.size() > 1 && out.back() == '/') out.pop_back();
    return out.empty() ? path : out;
}

// The area of the folder `relative` below the published root, read by walking that folder.
DiskSnapshot::Area walkArea(const PublishedSnapshot& published, const ScanPlan& plan,
                            const std::string& relative) {
    const std::string path =
        (published.root == "/" ? std::string() : published.root) + "/" + relative;
    FolderTree tree = walkTree(path, WalkOptions{0, plan.exclusions.below(relative)});
    ScanPlan alone;
    alone.root = path;
    alone.top = published.top;
    const DiskSnapshot& s = published.snapshot;
    const DiskSnapshot part = buildSnapshot(
        tree, alone, {s.volumeName, s.used, s.free, s.total, s.usedFraction}, s.generatedAt);
    return DiskSnapshot::Area{displayName(relative), tree.root().size, part.topFolders,
                              part.topKinds};
}

std::vector<DiskSnapshot::Area> pinnedAreas(const PublishedSnapshot& published,
                                            const Preferences& preferences,
                                            const std::string& unpinned,
                                            std::vector<std::string>& notes) {
    ScanChoices choices;
    choices.root = published.root;
    choices.top = published.top;
    const ScanPlan plan = planPreferredScan(choices, preferences, notes);
    const std::vector<std::string> pinned = pinsInside(preferences.pins, plan.root);
    std::vector<DiskSnapshot::Area> previous =
        published.snapshot.areas.value_or(std::vector<DiskSnapshot::Area>{});
    std::vector<DiskSnapshot::Area> areas;
    if (pinned.empty()) {
        // The areas stay; only the unpinned folder's goes.
        const std::string prefix = plan.root == "/" ? "/" : plan.root + "/";
        const std::string name = unpinned.starts_with(prefix)
                                     ? displayName(unpinned.substr(prefix.size()))
                                     : std::string();
        areas = std::move(previous);
        std::erase_if(areas, [&](const auto& a) { return !name.empty() && a.name == name; });
    } else {
        for (const std::string& relative : plan.areas) {
            const auto it = std::find_if(previous.begin(), previous.end(), [&](const auto& a) {
                return a.name == displayName(relative);
            });
            if (it != previous.end()) {
                areas.push_back(*it);
                continue;
            }
            try {
                areas.push_back(walkArea(published, plan, relative));
            } catch (const std::system_error& e) {
                notes.push_back(relative + ": " + e.code().message() + "; left out until a scan");
            }
        }
    }
    return areas;
}

}  // namespace

std::vector<PinState> pinStates(const Preferences& preferences) {
    std::vector<PinState> states;
    for (const std::string& pin : preferences.pins) states.push_back({pin, !isFolder(pin)});
    return states;
}

std::string pinFolder(const std::string& settingsFile, const std::string& path,
                      std::vector<std::string>& notes) {
    const auto resolved = foundation::canonicalPath(path);
    if (!resolved) throw ActionError(path + ": " + std::strerror(errno));
    if (!isFolder(*resolved)) throw ActionError(path + ": not a folder");
    const Preferences after = updateSettings(settingsFile, [&](Preferences& p) {
        if (std::find(p.pins.begin(), p.pins.end(), *resolved) == p.pins.end())
            p.pins.push_back(*resolved);
    });
    refreshPinnedAreas(after, "", notes);
    return *resolved;
}

std::string unpinFolder(const std::string& settingsFile, const std::string& path,
                        std::vector<std::string>& notes) {
    std::vector<std::string> candidates{lexicalAbsolute(path)};
    if (const auto resolved = foundation::canonicalPath(path))
        candidates.insert(candidates.begin(), *resolved);
    std::string removed;
    const Preferences after = updateSettings(settingsFile, [&](Preferences& p) {
        for (const std::string& candidate : candidates) {
            const auto it = std::find(p.pins.begin(), p.pins.end(), candidate);
            if (it == p.pins.end()) continue;
            removed = *it;
            p.pins.erase(it);
            return;
        }
    });
    if (removed.empty()) throw ActionError(path + " is not pinned");
    refreshPinnedAreas(after, removed, notes);
    return removed;
}

void refreshPinnedAreas(const Preferences& preferences, const std::string& unpinned,
                        std::vector<std::string>& notes) {
    auto published = readPublishedSnapshot();
    if (!published) {
        notes.push_back("no snapshot of a known folder yet: the next scan shows the pins");
        return;
    }
    try {
        auto areas = pinnedAreas(*published, preferences, unpinned, notes);
        const auto same = [](const auto& a, const auto& b) {
            return a.name == b.name && a.total == b.total;
        };
        const auto& before = published->snapshot.areas;
        if (before && std::equal(before->begin(), before->end(), areas.begin(), areas.end(), same))
            return;
        published->snapshot.areas = std::move(areas);
        publishSnapshot(published->snapshot, published->root, published->top);
    } catch (const ScanError& e) {
        notes.push_back(std::string("the snapshot is left as it was: ") + e.what());
    }
}

}  // namespace brimlet
