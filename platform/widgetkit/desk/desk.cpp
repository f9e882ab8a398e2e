#include "platform/widgetkit/desk/desk.h"

#include <gtk/gtk.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>

#include "platform/foundation/command.h"
#include "platform/foundation/standard_output.h"
#include "platform/foundation/version.h"
#include "platform/widgetkit/desk/desk_window.h"

namespace widgetkit::desk {
namespace {

constexpr const char* kHelp =
    "Usage: brimlet-desk [OPTION]...\n"
    "Show the placed Brimlet widgets in a window and keep them current.\n"
    "\n"
    "The desk shows the widgets placed with brimlet-widgets (or with its own \"Add Widget...\"),\n"
    "in the order they were placed, drawn exactly as 'brimlet-widgets render' draws them. Each\n"
    "widget follows its timeline and is asked again when its reload policy says, when the app\n"
    "writes a new scan, when the placed widgets change, after the machine wakes up or the clock\n"
    "is set, and on \"Reload\". Right-click a widget (or press the Menu key) to edit, reload or\n"
    "remove it.\n"
    "\n"
    "Options:\n"
    "      --screenshot=FILE.png  open the window, wait until every widget shows its first\n"
    "                             entry, write the window's pixels to FILE.png and exit\n"
    "      --keep-open            with --screenshot: stay open, and write FILE.png again\n"
    "                             whenever a widget is drawn anew\n"
    "      --help                 display this help and exit\n"
    "      --version              output version information and exit\n"
    "\n"
    "Exit status: 0 done; 1 no display, or the screenshot could not be written; 2 bad\n"
    "arguments.\n"
    "\n"
    "Files:\n"
    "  ${XDG_STATE_HOME:-~/.local/state}/brimlet-widgets/placed.json   the placed widgets\n";

// Whether a session bus can be found without starting one: named by DBUS_SESSION_BUS_ADDRESS,
// or at its usual place in the runtime folder.
bool sessionBusReachable() {
    const char* address = g_getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && address[0] != '\0') return true;
    const char* runtime = g_getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || runtime[0] != '/') return false;
    const std::string socket = std::string(runtime) + "/bus";
    return g_file_test(socket.c_str(), G_FILE_TEST_EXISTS);
}

struct Application {
    const TupleWidget* widgets = nullptr;
    DeskOptions options;
    std::unique_ptr<DeskWindow> desk;
};

// The desk's run behind the command boundary: throws foundation::CommandError.
int runDesk(const TupleWidget& widgets, const std::vector<std::string>& args, std::ostream& out) {
    DeskOptions options;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            out << kHelp;
            return 0;
        }
        if (a == "--version") {
            out << "brimlet-desk " << foundation::projectVersion() << '\n';
            return 0;
        }
        if (a == "--screenshot" || a.rfind("--screenshot=", 0) == 0) {
            std::string path;
            if (a == "--screenshot") {
                if (i + 1 >= args.size()) {
                    throw foundation::usageError("--screenshot needs a file name (FILE.png)");
                }
                path = args[++i];
            } else {
                path = a.substr(std::string("--screenshot=").size());
            }
            if (path.empty()) {
                throw foundation::usageError("--screenshot needs a file name (FILE.png)");
            }
            options.screenshot = path;
            continue;
        }
        if (a == "--keep-open") {
            options.keepOpen = true;
            continue;
        }
        throw foundation::usageError("unknown argument '" + a + "' (--help for more)");
    }

    // Accessibility reaches its bus through the session bus. Where there is none (a bare X
    // server), GTK would try to start one and complain that it cannot; the desk does without.
    options.sessionBus = sessionBusReachable();
    if (!options.sessionBus) g_setenv("GTK_A11Y", "none", FALSE);
    if (options.keepOpen && options.screenshot.empty()) {
        throw foundation::usageError("--keep-open goes with --screenshot");
    }
    if (!gtk_init_check()) {
        throw foundation::CommandError(
            "cannot open a display (neither WAYLAND_DISPLAY nor DISPLAY names one that answers)");
    }

    // One desk per session, unless it only takes a screenshot.
    const auto flags =
        options.screenshot.empty() ? G_APPLICATION_DEFAULT_FLAGS : G_APPLICATION_NON_UNIQUE;
    GtkApplication* app = gtk_application_new("org.brimlet.Brimlet.Desk", flags);
    Application state{&widgets, std::move(options), nullptr};
    g_signal_connect(app, "activate", G_CALLBACK(+[](GtkApplication* a, Application* s) {
                         if (!s->desk) {
                             s->desk = std::make_unique<DeskWindow>(a, *s->widgets, s->options);
                         }
                         s->desk->present();
                     }),
                     &state);
    int status = g_application_run(G_APPLICATION(app), 0, nullptr);
    if (status == 0 && state.desk) status = state.desk->status();
    // Requests that have not returned keep running on their threads until the process ends;
    // the window is not torn down under them.
    (void)state.desk.release();
    return status;
}

}  // namespace

int run(const TupleWidget& widgets, const std::vector<std::string>& args, std::ostream& out,
        std::ostream& err) {
    return foundation::runCommand(
        "brimlet-desk", [&] { return runDesk(widgets, args, out); }, err);
}

}  // namespace widgetkit::desk

namespace widgetkit {

void runHost(const TupleWidget& widgets, int argc, char** argv) {
    // Held for the life of the process: a request that never returns still points into it.
    const auto* kept = new TupleWidget(std::move(widgets));
    const std::vector<std::string> args(argv, argv + argc);
    int status = desk::run(*kept, args, std::cout, std::cerr);
    // Help or a version that did not reach standard output is a failure, as for the other
    // programs.
    const bool delivered = status == foundation::kExitSuccess
                               ? foundation::flushStandardOutput("brimlet-desk")
                               : foundation::standardOutputDelivered();
    if (!delivered) status = foundation::kExitFailure;
    std::exit(status);
}

}  // namespace widgetkit
