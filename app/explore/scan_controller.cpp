#include "app/explore/scan_controller.h"

#include <malloc.h>

#include <algorithm>
#include <exception>
#include <utility>

#include "app/actions/published.h"
#include "app/actions/trash.h"
#include "app/scan/scan_job.h"
#include "app/settings/preferred_scan.h"
#include "app/settings/settings.h"
#include "extension/shared/human_bytes.h"
#include "platform/foundation/text.h"

namespace brimlet {
namespace {

// Text for one line in a window: valid UTF-8 without control characters.
std::string oneLine(std::string_view text) {
    std::string line = displayName(text);
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    }
    return line;
}

// "41.2 GB in 412803 files and 52116 folders, written to …".
std::string summaryOf(const ScanJobResult& job) {
    const FolderTree& tree = job.result.tree;
    std::string line = humanBytes(tree.root().size);
    line += " in ";
    foundation::appendInteger(line, tree.files());
    line += tree.files() == 1 ? " file and " : " files and ";
    foundation::appendInteger(line, tree.folders());
    line += tree.folders() == 1 ? " folder, written to " : " folders, written to ";
    line += job.writtenTo;
    return oneLine(line);
}

}  // namespace

ScanController::ScanController(std::function<void()> onEnded, const ScanEnvironment& environment)
    : onEnded_(std::move(onEnded)), environment_(environment) {}

ScanController::~ScanController() {
    cancel();
    if (thread_.joinable()) thread_.join();
}

bool ScanController::start(ScanRequest request, std::optional<std::int64_t> expectedBytes) {
    {
        std::lock_guard lock(mutex_);
        if (running_) return false;
    }
    // The previous scan has ended; its thread is at most returning from onEnded.
    if (thread_.joinable()) thread_.join();
    std::lock_guard lock(mutex_);
    running_ = true;
    cancel_.store(false);
    progress_ = std::make_unique<WalkProgress>();
    root_.clear();
    lastFolder_.clear();
    expected_ = expectedBytes;
    started_ = std::chrono::steady_clock::now();
    ended_.reset();
    result_.reset();
    thread_ = std::thread([this, request = std::move(request)] { run(request); });
    return true;
}

bool ScanController::running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

void ScanController::cancel() { cancel_.store(true); }

ScanProgressReport ScanController::progress() const {
    std::lock_guard lock(mutex_);
    ScanProgressReport report;
    if (!progress_) return report;
    report.files = progress_->files.load(std::memory_order_relaxed);
    report.folders = progress_->folders.load(std::memory_order_relaxed);
    report.bytes = progress_->bytes.load(std::memory_order_relaxed);
    if (!root_.empty()) {
        if (std::string now = progress_->currentPath(root_); !now.empty()) lastFolder_ = now;
    }
    report.currentFolder = lastFolder_;
    const auto until = ended_.value_or(std::chrono::steady_clock::now());
    report.seconds = std::chrono::duration<double>(until - started_).count();
    if (expected_ && *expected_ > 0) {
        report.expectedBytes = *expected_;
        report.fraction = std::clamp(
            static_cast<double>(report.bytes) / static_cast<double>(*expected_), 0.0, 0.99);
    }
    return report;
}

std::optional<ScanControllerResult> ScanController::takeResult() {
    std::lock_guard lock(mutex_);
    return std::exchange(result_, std::nullopt);
}

void ScanController::run(const ScanRequest& request) {
    ScanControllerResult result = scan(request);
    // The walk's threads each allocated in an arena of their own, and what they freed (the
    // listings, the paths, the queues) stays resident there otherwise: a window showing the tree
    // next would hold it for as long as it stays open.
    malloc_trim(0);
    {
        std::lock_guard lock(mutex_);
        result_ = std::move(result);
        ended_ = std::chrono::steady_clock::now();
        running_ = false;
    }
    if (onEnded_) onEnded_();
}

namespace {

// The plan `brimlet scan` would make: what the request gives over the stored preferences (the
// default folder, the excluded patterns, leaving out caches), and the pinned folders as areas.
ScanPlan planFollowingPreferences(const ScanRequest& request) {
    ScanChoices choices;
    choices.root = request.root;
    choices.areas = request.areas;
    choices.top = request.top;
    choices.threads = request.threads;
    if (!request.exclude.empty()) choices.exclude = request.exclude;
    if (request.excludeCaches) choices.excludeCaches = true;
    Preferences preferences;
    if (const auto path = settingsPath()) preferences = loadSettings(*path).preferences;
    std::vector<std::string> notes;
    return planPreferredScan(choices, preferences, notes);
}

}  // namespace

ScanControllerResult ScanController::scan(const ScanRequest& request) {
    try {
        ScanPlan plan = planFollowingPreferences(request);
        plan.environment = &environment_;
        const SnapshotTarget target = prepareSnapshotTarget(std::nullopt);
        WalkProgress* progress = nullptr;
        {
            std::lock_guard lock(mutex_);
            root_ = plan.root;
            progress = progress_.get();
        }
        ScanJobResult job = runScanJob(plan, target, ScanJobOptions{progress, &cancel_});
        try {
            // Pins and Move to Trash rewrite this snapshot later from its recorded root.
            recordSnapshotRoot(plan.root, plan.top, job.result.snapshot.generatedAt);
        } catch (const std::exception&) {
            // The scan itself has succeeded; without the record a pin waits for the next scan.
        }
        std::string message = summaryOf(job);
        plan.environment = &ScanEnvironment::standard();  // the held plan may outlive this
        auto held = std::make_shared<HeldScan>(
            HeldScan{std::move(plan), std::move(job.result.tree), job.result.snapshot});
        std::shared_ptr<const FolderTree> tree(held, &held->tree);
        return ScanControllerResult{ScanOutcome::finished, std::move(message), std::move(tree),
                                    std::move(job.result.snapshot), std::move(held)};
    } catch (const ScanCancelled&) {
        return ScanControllerResult{ScanOutcome::cancelled, {}, nullptr, std::nullopt, nullptr};
    } catch (const std::exception& e) {
        return ScanControllerResult{ScanOutcome::failed, oneLine(e.what()), nullptr, std::nullopt,
                                    nullptr};
    }
}

}  // namespace brimlet
