// libFuzzer target over the one part of `brimlet scan`'s command line that CLI11 does not guard:
// the --exclude patterns, planned against the scanned folder, and the areas checked against
// them. The input is lines:
//
//   ROOT as given on the command line
//   the folder's canonical path (made canonical here: absolute, no empty, "." or ".." names)
//   PATTERN, one a line, up to an empty line
//   an area's path relative to the folder, one a line (made canonical here too)
//
// Beyond "never crash, no undefined behaviour", it checks the promises of planning: a pattern is
// refused with a usage error (status 2) and nothing else; an accepted one keeps a glob that can
// match, one relative to the folder when anchored; and an area that a pattern leaves out is
// refused. Cache tags are off: they read the file system.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/scan/exclusion.h"
#include "app/scan/scan.h"

namespace {

std::vector<std::string> linesOf(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// `path`'s names other than "", "." and "..", joined by '/'.
std::string canonicalNames(std::string_view path) {
    std::string out;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string_view name = path.substr(start, end - start);
        if (!name.empty() && name != "." && name != "..") {
            if (!out.empty()) out += '/';
            out += name;
        }
        start = end + 1;
    }
    return out;
}

// The usage error planning promises; anything else thrown escapes and fails the run.
template <class F>
bool refusedAsUsage(F&& attempt) {
    try {
        attempt();
        return false;
    } catch (const brimlet::ScanError& e) {
        if (e.exitStatus() != 2) std::abort();
        return true;
    }
}

void checkPlan(const brimlet::Exclusions& plan, std::size_t patternCount) {
    if (plan.patterns.size() != patternCount) std::abort();
    for (const auto& p : plan.patterns) {
        if (p.glob.empty()) std::abort();
        // Anchored globs are matched against paths below the folder, which never start so.
        if (p.anchored && (p.glob.front() == '/' || p.glob == "." || p.glob.starts_with("./"))) {
            std::abort();
        }
    }
}

void checkArea(const brimlet::Exclusions& plan, const std::string& root,
               const std::string& relative) {
    const std::size_t slash = relative.rfind('/');
    const std::string name = slash == std::string::npos ? relative : relative.substr(slash + 1);
    const bool excluded = plan.excludes(relative, name.c_str());
    const bool refused =
        refusedAsUsage([&] { brimlet::checkAreaNotExcluded(plan, root, relative); });
    if (excluded && !refused) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (text.find('\0') != std::string_view::npos) return 0;  // no argument holds one
    const auto lines = linesOf(text);
    if (lines.size() < 2 || lines[0].empty()) return 0;
    const std::string root = "/" + canonicalNames(lines[1]);
    std::size_t i = 2;
    std::vector<std::string> patterns;
    for (; i < lines.size() && !lines[i].empty(); ++i) patterns.push_back(lines[i]);

    brimlet::Exclusions plan;
    if (refusedAsUsage([&] { plan = brimlet::planExclusions(patterns, false, lines[0], root); })) {
        return 0;
    }
    checkPlan(plan, patterns.size());
    for (++i; i < lines.size(); ++i) {
        const std::string relative = canonicalNames(lines[i]);
        if (!relative.empty()) checkArea(plan, root, relative);
    }
    return 0;
}
