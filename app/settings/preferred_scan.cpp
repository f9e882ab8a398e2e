#include "app/settings/preferred_scan.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "platform/foundation/home.h"

namespace brimlet {
namespace {

std::optional<std::string> canonical(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                         &std::free);
    if (!resolved) return std::nullopt;
    return std::string(resolved.get());
}

std::string prefixOf(const std::string& root) { return root == "/" ? "/" : root + "/"; }

}  // namespace

std::vector<std::string> pinsInside(const std::vector<std::string>& pins,
                                    const std::string& canonicalRoot) {
    const std::string prefix = prefixOf(canonicalRoot);
    std::vector<std::string> inside;
    for (const std::string& pin : pins) {
        const auto resolved = canonical(pin);
        struct stat st {};
        if (!resolved || ::stat(resolved->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
        if (resolved->size() <= prefix.size() || resolved->compare(0, prefix.size(), prefix) != 0)
            continue;
        inside.push_back(resolved->substr(prefix.size()));
    }
    return inside;
}

ScanPlan planPreferredScan(const ScanChoices& choices, const Preferences& preferences,
                           std::vector<std::string>& notes) {
    ScanRequest request;
    request.root = choices.root ? choices.root : preferences.folder;
    request.top = choices.top;
    request.threads = choices.threads;
    request.excludeCaches = choices.excludeCaches.value_or(preferences.excludeCaches);
    if (choices.exclude) {
        request.exclude = *choices.exclude;
    } else if (!preferences.exclude.empty()) {
        // The root, resolved once without patterns, decides which stored patterns apply.
        const ScanPlan bare = planScan(request);
        const std::string rootArgument =
            request.root ? *request.root : foundation::homeDirectory().value_or(bare.root);
        for (const std::string& pattern : preferences.exclude) {
            try {
                (void)planExclusions({pattern}, false, rootArgument, bare.root);
                request.exclude.push_back(pattern);
            } catch (const ScanError& e) {
                notes.push_back(std::string("stored pattern left out of this scan: ") + e.what());
            }
        }
    }
    request.areas = choices.areas;
    ScanPlan plan = planScan(request);
    if (!choices.areas.empty()) return plan;
    for (const std::string& relative : pinsInside(preferences.pins, plan.root)) {
        ScanRequest one = request;
        one.areas = {relative};
        try {
            const ScanPlan checked = planScan(one);
            if (std::find(plan.areas.begin(), plan.areas.end(), checked.areas.front()) ==
                plan.areas.end()) {
                plan.areas.push_back(checked.areas.front());
            }
        } catch (const ScanError& e) {
            notes.push_back(std::string("pinned folder left out of this scan: ") + e.what());
        }
    }
    return plan;
}

}  // namespace brimlet
