#include "app/scan/scan_job.h"

#include <utility>

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
    return ScanJobResult{std::move(result), describeTarget(target)};
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
