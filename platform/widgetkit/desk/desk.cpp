#include "platform/widgetkit/desk/desk.h"

#include <glibmm/init.h>
#include <glibmm/optioncontext.h>
#include <glibmm/optiongroup.h>
#include <gtk/gtk.h>
#include <malloc.h>

#include <cstdlib>
#include <iostream>

#include "platform/foundation/command.h"
#include "platform/foundation/standard_output.h"
#include "platform/foundation/version.h"
#include "platform/widgetkit/desk/desk_application.h"
#include "platform/widgetkit/desk/desk_session.h"

namespace widgetkit::desk {
namespace {

constexpr const char* kDescription =
    "The desk shows the widgets placed with brimlet-widgets (or with its own \"Add Widget...\"),\n"
    "in the order they were placed, drawn exactly as 'brimlet-widgets render' draws them. Each\n"
    "widget follows its timeline and is asked again when its reload policy says, when the app\n"
    "writes a new scan, when the placed widgets change, after the machine wakes up or the clock\n"
    "is set, and on \"Reload\". Click a widget (or press Enter) to open Brimlet; right-click it\n"
    "(or press the Menu key) to edit, reload or remove it.\n"
    "\n"
    "Exit status: 0 done; 1 no display, or the screenshot could not be written; 2 bad\n"
    "arguments.\n"
    "\n"
    "Files:\n"
    "  ${XDG_STATE_HOME:-~/.local/state}/brimlet-widgets/placed.json   the placed widgets\n"
    "  ${XDG_CONFIG_HOME:-~/.config}/autostart/org.brimlet.Brimlet.Desk.desktop   Start at Login";

// The desk's own options, as the gtkmm book's applications read theirs.
class DeskOptionGroup : public Glib::OptionGroup {
public:
    DeskOptionGroup() : Glib::OptionGroup("desk", "Desk options", "Show the desk options") {
        Glib::OptionEntry screenshot;
        screenshot.set_long_name("screenshot");
        screenshot.set_arg_description("FILE.png");
        screenshot.set_description(
            "open the window, wait until every widget shows its first entry, write the "
            "window's pixels to FILE.png and exit");
        add_entry_filename(screenshot, screenshotPath);
        Glib::OptionEntry keepOpen;
        keepOpen.set_long_name("keep-open");
        keepOpen.set_description(
            "with --screenshot: stay open, and write FILE.png again whenever a widget is drawn "
            "anew");
        add_entry(keepOpen, keepOpenFlag);
        Glib::OptionEntry help;
        help.set_long_name("help");
        help.set_short_name('h');
        help.set_description("display this help and exit");
        add_entry(help, helpFlag);
        Glib::OptionEntry version;
        version.set_long_name("version");
        version.set_description("output version information and exit");
        add_entry(version, versionFlag);
    }

    std::string screenshotPath;
    bool keepOpenFlag = false;
    bool versionFlag = false;
    bool helpFlag = false;
};

// Whether a session bus can be found without starting one: named by DBUS_SESSION_BUS_ADDRESS,
// or at its usual place in the runtime folder.
bool sessionBusReachable() {
    const char* address = g_getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && address[0] != '\0') return true;
    const char* runtime = g_getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || runtime[0] != '/') return false;
    return g_file_test((std::string(runtime) + "/bus").c_str(), G_FILE_TEST_EXISTS);
}

// Reads the options into `options`; nullopt to go on, else the exit status of --help or
// --version. Throws foundation::CommandError (usage) for bad arguments.
std::optional<int> readOptions(int argc, char** argv, DeskOptions& options) {
    Glib::OptionContext context;
    context.set_summary("Show the placed Brimlet widgets in a window and keep them current.");
    context.set_description(kDescription);
    DeskOptionGroup group;
    context.set_main_group(group);
    // Printed here, in UTF-8 and with ASCII dots, rather than by GLib in the terminal's charset.
    context.set_help_enabled(false);
    try {
        if (!context.parse(argc, argv))
            throw foundation::usageError("bad arguments (--help for more)");
    } catch (const Glib::OptionError& e) {
        throw foundation::usageError(std::string(e.what()) + " (--help for more)");
    }
    if (group.helpFlag) {
        std::string help = context.get_help();
        for (auto at = help.find("…"); at != std::string::npos; at = help.find("…", at)) {
            help.replace(at, std::string("…").size(), "...");
        }
        std::cout << help;
        return 0;
    }
    if (group.versionFlag) {
        std::cout << "brimlet-desk " << foundation::projectVersion() << '\n';
        return 0;
    }
    if (argc > 1) {
        throw foundation::usageError(std::string("unknown argument '") + argv[1] +
                                     "' (--help for more)");
    }
    if (group.keepOpenFlag && group.screenshotPath.empty()) {
        throw foundation::usageError("--keep-open goes with --screenshot");
    }
    options.screenshot = group.screenshotPath;
    options.keepOpen = group.keepOpenFlag;
    return std::nullopt;
}

int run(const BundleDeclaration& bundle, int argc, char** argv) {
    // The locale is the bundle entry's (foundation::useUserLanguage), LC_NUMERIC "C" included:
    // neither glibmm nor GTK sets it again. Glib::init reads the flag once, here.
    Glib::set_init_to_users_preferred_locale(false);
    Glib::init();
    gtk_disable_setlocale();
    DeskOptions options;
    if (const auto status = readOptions(argc, argv, options)) return *status;
    // Accessibility reaches its bus through the session bus. Where there is none (a bare X
    // server), GTK would try to start one and complain that it cannot; the desk does without.
    options.sessionBus = sessionBusReachable();
    if (!options.sessionBus) {
        g_setenv("GTK_A11Y", "none", FALSE);
        // Nor does GLib start one (dbus-launch on X11): a fork of the whole program at startup,
        // and a bus left behind for nobody.
        g_setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/dev/null", TRUE);
    }
    // The first requests start now (after the environment is settled: their threads read it),
    // and run, and their tiles are drawn, while the display opens.
    auto session = std::make_unique<DeskSession>(bundle);
    if (!gtk_init_check()) {
        throw foundation::CommandError(
            "cannot open a display (neither WAYLAND_DISPLAY nor DISPLAY names one that answers)");
    }
    // gtkmm's first Gtk::Application disables GTK's setlocale unless this flag is set, and GTK
    // warns of that once gtk_init has run. glibmm has already taken the locale as it was, so the
    // flag now only spares GTK the second, late call.
    Glib::set_init_to_users_preferred_locale(true);
    const auto app = DeskApplication::create(std::move(session), std::move(options));
    const int status = app->run();
    return status != 0 ? status : app->status();
}

}  // namespace

void runHost(const BundleDeclaration& bundle, int argc, char** argv) {
    // Every request runs on a short-lived thread of its own; one malloc arena keeps what those
    // threads free for the next ones instead of holding an arena per thread for the life of the
    // desk.
    mallopt(M_ARENA_MAX, 1);
    int status = foundation::runCommand(
        "brimlet-desk", [&] { return run(bundle, argc, argv); }, std::cerr);
    // Help or a version that did not reach standard output is a failure, as for the other
    // programs.
    if (!foundation::flushStandardOutput("brimlet-desk")) status = 1;
    std::cerr.flush();
    // A request that never returned (a hung home) still runs on its thread and points into the
    // bundle: the process ends without tearing the bundle down under it.
    if (DeskSession::running() > 0) std::_Exit(status);
    std::exit(status);
}

}  // namespace widgetkit::desk
