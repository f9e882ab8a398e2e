#include "app/scan/scan_job.h"

#include <utility>

#include <vector>

#include "app/history/estimate.h"
#include "app/history/history.h"
#include "app/history/record.h"
#include "extension/shared/fill_estimate.h"

namespace brimlet {
namespace {

// Works out from the history when the scanned volume fills (the records of `root`, this scan's
// included when it was kept) and publishes it beside the snapshot for the widgets' low-space
// notification. Without an estimate it publishes that, so that an older one does not outlive
// it. A failure costs the notification its estimate and nothing else.
void publishFillEstimate(const std::string& root, const DiskSnapshot& written) {
    FillEstimate published{written.generatedAt, written.volumeName, written.total, std::nullopt};
    if (const auto path = historyPath()) {
        try {
            History history(*path, History::Access::read);
            std::vector<UsedSample> samples;
            for (const RecordSummary& r : history.records(root))
                samples.push_back({r.time, r.used});
            const auto full = estimateFull(samples, written.total, written.generatedAt);
            if (full) published.fullAt = full->fullAt;
        } catch (const std::exception&) {
            // No history to read (or none that reads): no estimate.
        }
    }
    // The scan has succeeded whatever happens here; the notification then goes without.
    (void)SharedFillEstimate::write(published);
}

}  // namespace

ScanJobResult runScanJob(const ScanPlan& plan, const SnapshotTarget& target,
                         const ScanJobOptions& options) {
    ScanResult result = runScan(plan, options.progress, options.cancel);
    if (options.walked) options.walked();
    auto document = result.snapshot.encode(2);
    if (!document) throw ScanError("the snapshot has a value JSON cannot hold");
    *document += '\n';
    if (options.cancel != nullptr && options.cancel->load()) throw ScanCancelled();
    writeSnapshot(target, *document, options.standardOutput, *plan.environment);
    std::string historyNote;
    if (target.shared) {
        const DiskSnapshot& written = result.snapshot;
        const HistoryRecord record =
            buildRecord(result.tree, written.used, written.total, written.generatedAt);
        const auto recorded = recordScan(record);
        if (!recorded) historyNote = recorded.message();
        publishFillEstimate(record.summary.root, written);
    }
    return ScanJobResult{std::move(result), describeTarget(target), std::move(historyNote)};
}

ScanJobResult runScanJob(const ScanRequest& request, const std::optional<std::string>& output,
                         WalkProgress* progress, const std::atomic<bool>* cancel,
                         const ScanEnvironment& environment) {
    ScanPlan plan = planScan(request);
    plan.environment = &environment;
    const SnapshotTarget target = prepareSnapshotTarget(output);
    return runScanJob(plan, target, ScanJobOptions{progress, cancel});
}

}  // namespace brimlet
