#pragma once
// What a scan leaves out: entries matched by a shell glob (--exclude), and folders that a
// CACHEDIR.TAG marks as caches (--exclude-caches). A left-out entry counts nowhere: not in any
// size, count, kind or list, and the walk never enters a left-out folder.

#include <string>
#include <string_view>
#include <vector>

namespace brimlet {

// The cache-directory tagging convention: a folder holding a regular file of this name whose
// first bytes are exactly the signature is a cache. Any other content is no tag.
inline constexpr std::string_view kCacheTagName = "CACHEDIR.TAG";
inline constexpr std::string_view kCacheTagSignature =
    "Signature: 8a477f597d28d172789f06886806bc55";

struct Exclusions {
    struct Pattern {
        std::string glob;
        // Matched against the path relative to the root only (it was given as an absolute path
        // below the root); otherwise against the name as well.
        bool anchored = false;
    };
    std::vector<Pattern> patterns;
    bool caches = false;

    // Whether the entry called `name`, at `relativePath` ("a/b/name") below the root, is left
    // out by a pattern. Globs follow fnmatch: `*`, `?` and `[...]` never match the '/' of a
    // path, and a leading '.' needs no special match.
    bool excludes(const std::string& relativePath, const char* name) const;

    // The exclusions as they apply to a walk of the folder `relative` ("a/b") alone, so that it
    // leaves out what a walk of the whole root leaves out there. A pattern without '/' applies
    // as it is. Any other matches paths from the root, component by component (no glob matches
    // a '/'): it applies below the folder when its first components match the folder's, with
    // those components taken off; one that matches the folder itself, a folder above it, or
    // another branch is dropped.
    Exclusions below(std::string_view relative) const;
};

// Checks the --exclude patterns against the scanned folder: `rootArgument` as the user gave it
// and `canonicalRoot` its resolved path. A pattern that starts with either path plus '/', or
// with "./", becomes an anchored pattern relative to the root. Throws ScanError (status 2) for an
// empty pattern, one that matches the scanned folder itself (its name, or its path), and an
// absolute pattern that does not lie below the scanned folder.
Exclusions planExclusions(const std::vector<std::string>& patterns, bool caches,
                          const std::string& rootArgument, const std::string& canonicalRoot);

// Throws ScanError (status 2) when the area at `relative` (below `canonicalRoot`) or a folder
// on the way to it is left out, by a pattern or by a cache tag.
void checkAreaNotExcluded(const Exclusions& exclusions, const std::string& canonicalRoot,
                          const std::string& relative);

// Whether the folder open at `folderFd` holds a valid cache tag. A tag that is a symbolic link,
// not a regular file or unreadable is no tag.
bool holdsCacheTag(int folderFd);

}  // namespace brimlet
