#pragma once
// Where a snapshot goes, and writing it there so that no reader ever meets half a document and a
// failed write never harms the previous one.

#include <optional>
#include <string>
#include <string_view>

#include "app/scan/environment.h"

namespace brimlet {

struct SnapshotTarget {
    enum class Mode {
        replaceFile,   // a regular file (or none yet): temporary file, fsync, rename, fsync folder
        writeInPlace,  // an existing non-regular file (/dev/null, a FIFO): written straight through
        standardOutput,  // "-"
    };
    Mode mode = Mode::replaceFile;
    std::string path;     // the file to replace or write; empty for standardOutput
    bool shared = false;  // the shared container's snapshot, the one every scan of record writes
};

// Resolves the -o argument: absent means "snapshot.json" in the shared group container, which is
// created (mode 0700, parents as needed) when missing; "-" means standard output. For a file to
// replace, its folder must exist and take a new file, which is checked here by creating and
// removing a temporary file, before any long scan starts. A symbolic link is replaced at its
// target. Throws ScanError (status 1) when the output cannot be written.
SnapshotTarget prepareSnapshotTarget(const std::optional<std::string>& output);

// Writes `document` to `target`; `standardOutput` is the descriptor used for "-". Throws
// ScanError (status 1) on failure, also when `environment` fails the write; a file being
// replaced is then left exactly as it was and no temporary file remains.
void writeSnapshot(const SnapshotTarget& target, std::string_view document, int standardOutput,
                   const ScanEnvironment& environment = ScanEnvironment::standard());

// "the shared container's snapshot.json" style description for the closing summary.
std::string describeTarget(const SnapshotTarget& target);

}  // namespace brimlet
