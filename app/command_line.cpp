// The only translation unit that includes CLI11.
#include "app/command_line.h"

#include <CLI/CLI.hpp>

#include <chrono>
#include <cstddef>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/progress.h"
#include "app/scan.h"
#include "app/snapshot_file.h"

namespace brimlet {
namespace {

constexpr int kStatusFailure = 1;
constexpr int kStatusUsage = 2;
constexpr std::size_t kMaxTopCount = 1000;

void writeText(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n <= 0) return;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

void report(const Console& console, std::string_view message) {
    std::string line = "brimlet: error: ";
    line += message;
    line += '\n';
    writeText(console.err, line);
}

struct Arguments {
    std::string root;
    std::vector<std::string> areas;
    std::size_t top = kDefaultTopCount;
    std::string output;
};

int scan(const Arguments& arguments, bool rootGiven, bool outputGiven, const Console& console) {
    const auto started = std::chrono::steady_clock::now();
    ScanRequest request;
    if (rootGiven) request.root = arguments.root;
    request.areas = arguments.areas;
    request.top = arguments.top;
    const ScanPlan plan = planScan(request);
    const SnapshotTarget target = prepareSnapshotTarget(
        outputGiven ? std::optional<std::string>(arguments.output) : std::nullopt);

    WalkProgress progress;
    std::optional<ScanResult> result;
    {
        ProgressReporter reporter(console.err, ::isatty(console.err) == 1, progress, plan.root);
        result.emplace(runScan(plan, &progress));
    }
    auto document = result->snapshot.encode(2);
    if (!document) throw ScanError("the snapshot has a value JSON cannot hold");
    *document += '\n';
    writeSnapshot(target, *document, console.out);

    const FolderTree& tree = result->tree;
    writeText(console.err,
              summaryLine(describeTarget(target), tree.root().size, tree.files(), tree.folders(),
                          tree.skippedFolders(), secondsSince(started)) +
                  "\n");
    return 0;
}

}  // namespace

int runCommandLine(int argc, const char* const* argv, const Console& console) {
    CLI::App app("Scans a folder tree and stores its breakdown for the Disk Breakdown widget.",
                 "brimlet");
    app.require_subcommand(1);
    Arguments arguments;
    CLI::App* scanCommand = app.add_subcommand(
        "scan",
        "Walk ROOT and write the snapshot that the Disk Breakdown widget reads (by default into "
        "the shared container, as snapshot.json).");
    scanCommand->add_option("ROOT", arguments.root, "Folder to scan (default: your home folder)");
    scanCommand
        ->add_option("--area", arguments.areas,
                     "A folder to single out as an area, absolute or relative to ROOT; repeat for "
                     "more (default: the 5 biggest folders directly below ROOT)")
        ->type_name("DIR")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->allow_extra_args(false);
    scanCommand
        ->add_option("--top", arguments.top, "Entries in each list of biggest folders (default 8)")
        ->type_name("N")
        ->check(CLI::Range(std::size_t{1}, kMaxTopCount));
    scanCommand
        ->add_option("-o,--output", arguments.output,
                     "Write the snapshot to FILE instead (atomically), or to standard output "
                     "with -")
        ->type_name("FILE");

    std::ostringstream helpText;
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        helpText << app.help();
        writeText(console.out, helpText.str());
        return 0;
    } catch (const CLI::CallForAllHelp&) {
        helpText << app.help("", CLI::AppFormatMode::All);
        writeText(console.out, helpText.str());
        return 0;
    } catch (const CLI::ParseError& e) {
        report(console, std::string(e.what()) + " (see brimlet --help)");
        return kStatusUsage;
    }

    try {
        return scan(arguments, scanCommand->count("ROOT") > 0, scanCommand->count("-o") > 0,
                    console);
    } catch (const ScanError& e) {
        report(console, e.what());
        return e.exitStatus();
    } catch (const std::exception& e) {
        report(console, e.what());
        return kStatusFailure;
    }
}

}  // namespace brimlet
