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

#include "app/actions/published.h"
#include "app/cli/history_commands.h"
#include "app/cli/progress.h"
#include "app/cli/settings_commands.h"
#include "app/cli/window_launch.h"
#include "app/scan/scan.h"
#include "app/scan/scan_job.h"
#include "app/scan/snapshot_file.h"
#include "app/settings/preferred_scan.h"
#include "platform/foundation/command.h"
#include "platform/foundation/file.h"
#include "platform/foundation/version.h"

namespace brimlet {
namespace {

constexpr std::size_t kMaxTopCount = 1000;

void report(const Console& console, std::string_view message) {
    (void)foundation::writeAll(console.err, foundation::messageLine("brimlet", message));
}

struct Arguments {
    std::string root;
    std::vector<std::string> areas;
    std::size_t top = kDefaultTopCount;
    std::string output;
    std::vector<std::string> exclude;
    bool noExclude = false;
    bool excludeCaches = false;
    std::string path;   // pin, unpin
    bool json = false;  // pins
    std::string schedule = "status";
};

// What the scan's options say; unset ones come from the settings file.
struct GivenOptions {
    bool root = false, output = false, exclude = false, excludeCaches = false;
};

// Help and version text go to standard output; one that cannot take them fails the command.
int printToOutput(const Console& console, std::string_view text) {
    if (foundation::writeAll(console.out, text)) return foundation::kExitSuccess;
    report(console, std::string("standard output: ") + std::strerror(errno));
    return foundation::kExitFailure;
}

int scan(const Arguments& arguments, const GivenOptions& given, const Console& console,
         const ScanEnvironment& environment) {
    const auto started = std::chrono::steady_clock::now();
    ScanChoices choices;
    if (given.root) choices.root = arguments.root;
    choices.areas = arguments.areas;
    choices.top = arguments.top;
    if (given.exclude || arguments.noExclude) choices.exclude = arguments.exclude;
    if (given.excludeCaches) choices.excludeCaches = arguments.excludeCaches;
    std::vector<std::string> notes;
    ScanPlan plan = planPreferredScan(choices, reportedPreferences(console), notes);
    for (const std::string& note : notes) reportLine(console, note);
    plan.environment = &environment;
    const bool outputGiven = given.output;
    const SnapshotTarget target = prepareSnapshotTarget(
        outputGiven ? std::optional<std::string>(arguments.output) : std::nullopt);

    WalkProgress progress;
    ProgressReporter reporter(console.err, ::isatty(console.err) == 1, progress, plan.root);
    const ScanJobResult job = runScanJob(
        plan, target, ScanJobOptions{&progress, nullptr, console.out, [&] { reporter.stop(); }});
    if (!job.historyNote.empty()) report(console, job.historyNote);
    try {
        // Only pins and trash need the record; the scan itself has succeeded.
        if (!outputGiven) recordSnapshotRoot(plan.root, plan.top, job.result.snapshot.generatedAt);
    } catch (const ScanError& e) {
        reportLine(console, e.what());
    }

    const FolderTree& tree = job.result.tree;
    (void)foundation::writeAll(
        console.err, summaryLine(job.writtenTo, tree.root().size, tree.files(), tree.folders(),
                                 skippedFolderPaths(tree), tree.vanished(), secondsSince(started)) +
                         "\n");
    return 0;
}

struct PreferenceCommands {
    CLI::App* pin;
    CLI::App* unpin;
    CLI::App* pins;
    CLI::App* schedule;
};

PreferenceCommands addPreferenceCommands(CLI::App& app, Arguments& arguments) {
    CLI::App* pin = app.add_subcommand("pin",
                                       "Pin a folder: every scan singles it out as an area "
                                       "of the Disk Breakdown widget");
    pin->add_option("PATH", arguments.path, "The folder to pin")->required();
    CLI::App* unpin = app.add_subcommand("unpin", "Stop singling a pinned folder out");
    unpin->add_option("PATH", arguments.path, "The pinned folder")->required();
    CLI::App* pins = app.add_subcommand("pins", "List the pinned folders, missing ones marked");
    pins->add_flag("--json", arguments.json, "As JSON");
    CLI::App* schedule = app.add_subcommand(
        "schedule", "Turn the daily scan (brimlet-scan.timer) on or off, or show it");
    schedule->add_option("ACTION", arguments.schedule, "on, off or status (default)")
        ->check(CLI::IsMember({"on", "off", "status"}));
    return {pin, unpin, pins, schedule};
}

// The exit status of the preference command given, or nullopt when the command is a scan.
std::optional<int> runPreferenceCommand(const PreferenceCommands& commands,
                                        const Arguments& arguments, const Console& console) {
    if (commands.pin->parsed()) return pinCommand(arguments.path, console);
    if (commands.unpin->parsed()) return unpinCommand(arguments.path, console);
    if (commands.pins->parsed()) return pinsCommand(arguments.json, console);
    if (commands.schedule->parsed()) return scheduleCommand(arguments.schedule, console);
    return std::nullopt;
}

}  // namespace

int runCommandLine(int argc, const char* const* argv, const Console& console,
                   const ScanEnvironment& environment) {
    CLI::App app("Scans a folder tree and stores its breakdown for the Disk Breakdown widget.",
                 "brimlet");
    app.require_subcommand(1);
    app.footer(
        "Without a command, brimlet opens the Brimlet window (on FOLDER, if given; with "
        "--area=NAME, on the folder of that Disk Breakdown area).");
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
    scanCommand
        ->add_flag("--no-exclude", arguments.noExclude,
                   "Leave nothing out by pattern, whatever the settings file says")
        ->excludes("--exclude");
    scanCommand->add_flag("--exclude-caches,!--no-exclude-caches", arguments.excludeCaches,
                          "Leave out (or, negated, keep) folders that hold a cache tag "
                          "(CACHEDIR.TAG)");
    scanCommand
        ->add_option("-o,--output", arguments.output,
                     "Write the snapshot to FILE instead (atomically), or to standard output "
                     "with -")
        ->type_name("FILE");
    scanCommand->set_version_flag("--version", version, "Print the version and exit");
    const PreferenceCommands preferences = addPreferenceCommands(app, arguments);

    HistoryArguments historyArguments;
    CLI::App* historyCommand =
        app.add_subcommand("history", "List the scans recorded in the history, oldest first.");
    historyCommand->add_option("--root", historyArguments.root, "Only the scans of this folder")
        ->type_name("PATH");
    historyCommand->add_flag("--json", historyArguments.json, "Write JSON instead of a table");
    GrowthArguments growthArguments;
    CLI::App* growthCommand = app.add_subcommand(
        "growth",
        "Compare the latest recorded scan with an earlier one: the folders that grew and shrank "
        "most, and when the disk is full at this rate.");
    growthCommand
        ->add_option("--since", growthArguments.since,
                     "Compare with the last scan at or before this moment: 7d, 2w, 2026-11-29 or "
                     "2026-11-29T10:00:00Z (UTC) (default: the scan before the latest)")
        ->type_name("7d|2w|DATE");
    growthCommand
        ->add_option("--root", growthArguments.root,
                     "The scanned folder (default: that of the latest scan)")
        ->type_name("PATH");
    growthCommand->add_option("--top", growthArguments.top, "Folders listed (default 10)")
        ->type_name("N")
        ->check(CLI::Range(std::size_t{1}, kMaxTopCount));
    growthCommand->add_flag("--json", growthArguments.json, "Write JSON instead of a table");

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
        return foundation::kExitUsage;
    }

    const GivenOptions given{scanCommand->count("ROOT") > 0, scanCommand->count("-o") > 0,
                             scanCommand->count("--exclude") > 0,
                             scanCommand->count("--exclude-caches") > 0};
    return foundation::runCommand(
        "brimlet",
        [&] {
            if (const auto status = runPreferenceCommand(preferences, arguments, console)) {
                return *status;
            }
            if (historyCommand->parsed()) return runHistoryCommand(historyArguments, console);
            if (growthCommand->parsed()) return runGrowthCommand(growthArguments, console);
            return scan(arguments, given, console, environment);
        },
        [&](std::string_view line) { (void)foundation::writeAll(console.err, line); });
}

}  // namespace brimlet
