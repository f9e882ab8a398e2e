#pragma once
// One scan at a time on a thread of its own, for a window that must stay responsive: live
// progress, cancel, and the outcome handed over once, whatever it was.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "app/scan/environment.h"
#include "app/scan/scan.h"
#include "app/scan/walk.h"
#include "extension/shared/disk_snapshot.h"

namespace brimlet {

struct HeldScan;

struct ScanProgressReport {
    std::int64_t files = 0, folders = 0, bytes = 0;
    std::string currentFolder;       // absolute path being read (raw bytes); empty before the first
    double seconds = 0;              // since start; frozen once the scan has ended
    std::optional<double> fraction;  // bytes / expectedBytes, clamped to 0...0.99, when known
    std::optional<std::int64_t> expectedBytes;  // what the fraction is taken of (> 0), when known
};

enum class ScanOutcome { finished, cancelled, failed };

struct ScanControllerResult {
    ScanOutcome outcome;
    // failed: the one-line reason (no control characters); finished: a one-line summary;
    // cancelled: empty.
    std::string message;
    std::shared_ptr<const FolderTree> tree;  // finished only
    std::optional<DiskSnapshot> snapshot;    // finished only
    // finished only: the scan as held for Move to Trash and pins (trash.h); `tree` points into
    // it, so the books kept there are what `tree` shows.
    std::shared_ptr<HeldScan> held;
};

// Runs one scan at a time on a thread of its own, through runScanJob, so it writes the snapshot
// to the shared container as `brimlet scan` does. A scan that is cancelled or fails leaves the
// snapshot as it was. Thread-safe: progress(), running() and cancel() may be called from any
// thread while the scan runs; start() and takeResult() from any one thread but not from
// `onEnded`.
class ScanController {
public:
    // `onEnded` runs on the scan's thread once the scan has ended, whatever the outcome, after
    // the result is ready (the window marshals it to its main loop, e.g. Glib::Dispatcher, then
    // calls takeResult()). `environment` must outlive the controller.
    explicit ScanController(std::function<void()> onEnded = {},
                            const ScanEnvironment& environment = ScanEnvironment::standard());
    ~ScanController();  // cancels a running scan and joins its thread
    ScanController(const ScanController&) = delete;
    ScanController& operator=(const ScanController&) = delete;

    // Starts scanning; false (and nothing happens) while a scan runs. `expectedBytes`: the
    // previous scan's size of the same folder, or the volume's used bytes for a mount point;
    // it gives the progress a fraction. A result not taken yet is dropped.
    bool start(ScanRequest request, std::optional<std::int64_t> expectedBytes = std::nullopt);
    // From start() until the result is ready.
    bool running() const;
    // Returns at once; the outcome will be `cancelled`, unless the scan had already begun
    // writing its snapshot, which it then finishes (`finished`).
    void cancel();
    ScanProgressReport progress() const;
    // The result of the scan that ended, once; nullopt before it ended and after it was taken.
    std::optional<ScanControllerResult> takeResult();

private:
    void run(const ScanRequest& request);
    ScanControllerResult scan(const ScanRequest& request);

    std::function<void()> onEnded_;
    const ScanEnvironment& environment_;
    std::thread thread_;
    std::atomic<bool> cancel_{false};

    mutable std::mutex mutex_;  // guards everything below
    bool running_ = false;
    std::unique_ptr<WalkProgress> progress_;
    std::string root_;  // the canonical root once planned
    mutable std::string lastFolder_;
    std::optional<std::int64_t> expected_;
    std::chrono::steady_clock::time_point started_;
    std::optional<std::chrono::steady_clock::time_point> ended_;
    std::optional<ScanControllerResult> result_;
};

}  // namespace brimlet
