#include "app/scan/exclusion.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>

#include "app/scan/scan.h"
#include "platform/foundation/file.h"

namespace brimlet {
namespace {

bool globMatches(const std::string& glob, const char* text) {
    return ::fnmatch(glob.c_str(), text, FNM_PATHNAME) == 0;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The glob below the root that `rest` names, without the "./" and '/' that lead it: "./build",
// ".//build" and, after the root's path, "//build" or "/./build" all name the folder directly
// below the root. "." is the root itself.
std::string belowRoot(std::string_view rest) {
    while (!rest.empty()) {
        if (rest.front() == '/') {
            rest.remove_prefix(1);
        } else if (startsWith(rest, "./")) {
            rest.remove_prefix(2);
        } else {
            break;
        }
    }
    return rest.empty() ? std::string(".") : std::string(rest);
}

[[noreturn]] void reject(const std::string& pattern, const std::string& why) {
    throw ScanError("--exclude " + pattern + ": " + why, 2);
}

}  // namespace

bool Exclusions::excludes(const std::string& relativePath, const char* name) const {
    for (const Pattern& p : patterns) {
        if (globMatches(p.glob, relativePath.c_str())) return true;
        if (!p.anchored && globMatches(p.glob, name)) return true;
    }
    return false;
}

Exclusions Exclusions::below(std::string_view relative) const {
    Exclusions out;
    out.caches = caches;
    for (const Pattern& p : patterns) {
        if (!p.anchored && p.glob.find('/') == std::string::npos) {
            out.patterns.push_back(p);
            continue;
        }
        std::string_view glob = p.glob, folders = relative;
        bool applies = true;
        while (applies && !folders.empty()) {
            const std::size_t slash = glob.find('/');
            const std::string_view folder = folders.substr(0, folders.find('/'));
            applies = slash != std::string_view::npos &&
                      globMatches(std::string(glob.substr(0, slash)), std::string(folder).c_str());
            glob.remove_prefix(slash + 1);
            folders.remove_prefix(std::min(folders.size(), folder.size() + 1));
        }
        if (applies) out.patterns.push_back({std::string(glob), true});
    }
    return out;
}

Exclusions planExclusions(const std::vector<std::string>& patterns, bool caches,
                          const std::string& rootArgument, const std::string& canonicalRoot) {
    Exclusions exclusions;
    exclusions.caches = caches;
    std::string givenRoot = rootArgument;
    while (givenRoot.size() > 1 && givenRoot.back() == '/') givenRoot.pop_back();
    const std::string rootName = rootNameOf(canonicalRoot);
    for (const std::string& pattern : patterns) {
        if (pattern.empty()) throw ScanError("--exclude: an empty pattern", 2);
        std::string glob = pattern;
        while (glob.size() > 1 && glob.back() == '/') glob.pop_back();
        // "./build" is the build folder directly below the root, as du's paths read.
        const bool dotted = startsWith(glob, "./");
        if (dotted) glob = belowRoot(glob);
        if (glob == ".") reject(pattern, "matches the scanned folder itself");
        if (dotted) {
            exclusions.patterns.push_back({std::move(glob), true});
            continue;
        }
        if (glob.front() != '/') {
            if (globMatches(glob, rootName.c_str()))
                reject(pattern, "matches the scanned folder itself");
            exclusions.patterns.push_back({std::move(glob), false});
            continue;
        }
        bool placed = false;
        for (const std::string& base : {canonicalRoot, givenRoot}) {
            if (glob == base) reject(pattern, "matches the scanned folder itself");
            const std::string prefix = base == "/" ? "/" : base + "/";
            if (!placed && startsWith(glob, prefix)) {
                std::string below = belowRoot(std::string_view(glob).substr(prefix.size()));
                if (below == ".") reject(pattern, "matches the scanned folder itself");
                exclusions.patterns.push_back({std::move(below), true});
                placed = true;
            }
        }
        if (!placed) reject(pattern, "an absolute pattern must lie inside " + canonicalRoot);
    }
    return exclusions;
}

void checkAreaNotExcluded(const Exclusions& exclusions, const std::string& canonicalRoot,
                          const std::string& relative) {
    const std::string prefix = canonicalRoot == "/" ? "/" : canonicalRoot + "/";
    std::size_t end = 0;
    while (end != std::string::npos) {
        const std::size_t start = end == 0 ? 0 : end + 1;
        end = relative.find('/', start);
        const std::string path = relative.substr(0, end);
        const std::string name =
            relative.substr(start, end == std::string::npos ? end : end - start);
        bool excluded = exclusions.excludes(path, name.c_str());
        if (!excluded && exclusions.caches) {
            const foundation::FileDescriptor fd(
                ::open((prefix + path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            excluded = fd.get() >= 0 && holdsCacheTag(fd.get());
        }
        if (excluded) throw ScanError("area " + relative + " lies in an excluded folder", 2);
    }
}

bool holdsCacheTag(int folderFd) {
    const foundation::FileDescriptor fd(::openat(
        folderFd, kCacheTagName.data(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) return false;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    std::array<char, kCacheTagSignature.size()> head{};
    std::size_t got = 0;
    while (got < head.size()) {
        const ssize_t n =
            ::pread(fd.get(), head.data() + got, head.size() - got, static_cast<off_t>(got));
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    return std::string_view(head.data(), got) == kCacheTagSignature;
}

}  // namespace brimlet
