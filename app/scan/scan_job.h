#pragma once
// One scan from start to finish, the same for every front: plan, walk, snapshot, write. The
// command line's `brimlet scan` and the window both run it, so a scan from either leaves the
// same file behind.

#include <unistd.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>

#include "app/scan/environment.h"
#include "app/scan/scan.h"
#include "app/scan/snapshot_file.h"
#include "app/scan/walk.h"

namespace brimlet {

// What a finished scan wrote, for the fronts' messages.
struct ScanJobResult {
    ScanResult result;      // snapshot + tree
    std::string writtenTo;  // describeTarget(...) of where the snapshot went
    // Empty when the scan was added to the history (or the snapshot went elsewhere than the
    // shared container, which adds no record); otherwise one line saying the record was not kept.
    std::string historyNote = {};
};

struct ScanJobOptions {
    WalkProgress* progress = nullptr;           // live counters; may be nullptr
    const std::atomic<bool>* cancel = nullptr;  // see WalkOptions::cancel; may be nullptr
    int standardOutput = STDOUT_FILENO;         // where a target of standardOutput writes
    // Called on the calling thread once the walk is over and before the snapshot is written
    // (a front clears its progress display there); not called when the walk fails.
    std::function<void()> walked = {};
};

// Walks `plan`, builds the snapshot and writes it to `target` (see prepareSnapshotTarget), with
// plan.environment as the place writing may fail; a snapshot written to the shared container
// also adds a record to the history (recordScan) and publishes when the volume fills by it
// (SharedFillEstimate), neither of whose failures ever fails the scan. A cancel seen before the
// writing starts throws ScanCancelled and leaves the target untouched; once the writing has
// started the scan finishes. Throws ScanError for a failed walk or write.
ScanJobResult runScanJob(const ScanPlan& plan, const SnapshotTarget& target,
                         const ScanJobOptions& options = {});

// Plans `request` (planScan), prepares `output` (prepareSnapshotTarget: absent means the shared
// container) and runs the job as above, with `environment` for opening folders and writing.
// Throws ScanError / ScanCancelled.
ScanJobResult runScanJob(const ScanRequest& request, const std::optional<std::string>& output,
                         WalkProgress* progress, const std::atomic<bool>* cancel,
                         const ScanEnvironment& environment = ScanEnvironment::standard());

}  // namespace brimlet
