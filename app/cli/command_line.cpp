// The only translation unit that includes CLI11.
#include "app/cli/command_line.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/progress.h"
#include "app/cli/window_launch.h"
#include "app/scan/scan.h"
#include "app/scan/scan_job.h"
#include "app/scan/snapshot_file.h"
#include "platform/foundation/version.h"

namespace brimlet {
namespace {

constexpr int kStatusFailure = 1;
constexpr int kStatusUsage = 2;
constexpr std::size_t kMaxTopCount = 1000;

// Writes all of `text`; false with errno set when the descriptor refuses it.
bool writeText(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

void report(const Console& console, std::string_view message) {
    // Messages name paths as given, which may hold a newline; the error stays one line.
    std::string line = "brimlet: ";
    line += printable(message);
    line += '\n';
    writeText(console.err, line);
}

struct Arguments {
    std::string root;
    std::vector<std::string> areas;
    std::size_t top = kDefaultTopCount;
    std::string output;
    std::vector<std::string> exclude;
    bool excludeCaches = false;
};

// Help and version text go to standard output; one that cannot take them fails the command.
int printToOutput(const Console& console, std::string_view text) {
    if (writeText(console.out, text)) return 0;
    report(console, std::string("standard output: ") + std::strerror(errno));
    return kStatusFailure;
}

int scan(const Arguments& arguments, bool rootGiven, bool outputGiven, const Console& console,
         const ScanEnvironment& environment) {
    const auto started = std::chrono::steady_clock::now();
    ScanRequest request;
    if (rootGiven) request.root = arguments.root;
    request.areas = arguments.areas;
    request.top = arguments.top;
    request.exclude = arguments.exclude;
    request.excludeCaches = arguments.excludeCaches;
    ScanPlan plan = planScan(request);
    plan.environment = &environment;
    const SnapshotTarget target = prepareSnapshotTarget(
        outputGiven ? std::optional<std::string>(arguments.output) : std::nullopt);

    WalkProgress progress;
    ProgressReporter reporter(console.err, ::isatty(console.err) == 1, progress, plan.root);
    const ScanJobResult job = runScanJob(
        plan, target, ScanJobOptions{&progress, nullptr, console.out, [&] { reporter.stop(); }});

    const FolderTree& tree = job.result.tree;
    writeText(console.err,
              summaryLine(job.writtenTo, tree.root().size, tree.files(), tree.folders(),
                          skippedFolderPaths(tree), secondsSince(started)) +
                  "\n");
    return 0;
}

}  // namespace

int runCommandLine(int argc, const char* const* argv, const Console& console,
                   const ScanEnvironment& environment) {
    CLI::App app("Scans a folder tree and stores its breakdown for the Disk Breakdown widget.",
                 "brimlet");
    app.require_subcommand(1);
    app.footer("Without a command, brimlet opens the Brimlet window (on FOLDER, if given).");
    const std::string version = "brimlet " + std::string(foundation::projectVersion());
    app.set_version_flag("--version", version, "Print the version and exit");
    app.set_help_all_flag("--help-all", "Print the help of every command and exit");
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
        ->add_option("--exclude", arguments.exclude,
                     "Leave out every file and folder whose name, or path relative to ROOT, "
                     "matches the shell glob PATTERN; repeat for more")
        ->type_name("PATTERN")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->allow_extra_args(false);
    scanCommand->add_flag("--exclude-caches", arguments.excludeCaches,
                          "Leave out folders that hold a cache tag (CACHEDIR.TAG)");
    scanCommand
        ->add_option("-o,--output", arguments.output,
                     "Write the snapshot to FILE instead (atomically), or to standard output "
                     "with -")
        ->type_name("FILE");
    scanCommand->set_version_flag("--version", version, "Print the version and exit");

    if (console.window) {
        std::vector<std::string> commands;
        for (const CLI::App* command : app.get_subcommands({}))
            commands.push_back(command->get_name());
        if (wantsWindow(argc, argv, commands)) return openWindow(argc, argv, console.err);
    }

    std::ostringstream helpText;
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        helpText << app.help();
        return printToOutput(console, helpText.str());
    } catch (const CLI::CallForAllHelp&) {
        helpText << app.help("", CLI::AppFormatMode::All);
        return printToOutput(console, helpText.str());
    } catch (const CLI::CallForVersion& e) {
        return printToOutput(console, std::string(e.what()) + "\n");
    } catch (const CLI::ParseError& e) {
        report(console, std::string(e.what()) + " (see brimlet --help)");
        return kStatusUsage;
    }

    try {
        return scan(arguments, scanCommand->count("ROOT") > 0, scanCommand->count("-o") > 0,
                    console, environment);
    } catch (const ScanError& e) {
        report(console, e.what());
        return e.exitStatus();
    } catch (const std::exception& e) {
        report(console, e.what());
        return kStatusFailure;
    }
}

}  // namespace brimlet
