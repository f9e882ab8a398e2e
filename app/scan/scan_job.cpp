#include "app/scan/scan_job.h"

#include <utility>

#include "app/history/history.h"
#include "app/history/record.h"

namespace brimlet {

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
        const auto recorded =
            recordScan(buildRecord(result.tree, written.used, written.total, written.generatedAt));
        if (!recorded) historyNote = recorded.message();
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
