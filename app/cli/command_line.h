#pragma once
// The `brimlet` command line: `brimlet scan [ROOT] [--area DIR]... [--top N] [-o FILE|-]`, and
// `brimlet pin`, `unpin`, `pins` and `schedule` over the preferences (settings_commands.h).

#include <unistd.h>

#include "app/scan/environment.h"

namespace brimlet {

// Where the command writes: the snapshot for "-o -" goes to `out`; messages, the live progress
// line and the summary go to `err`. The live line is drawn only when `err` is a terminal.
struct Console {
    int out = STDOUT_FILENO;
    int err = STDERR_FILENO;
    // Whether arguments that name no command (none, one FOLDER, --screenshot) open the window
    // program instead (window_launch.h); main sets it, tests do not.
    bool window = false;
};

// Runs the command (or execs the window, see Console::window); returns the exit status: 0 on
// success (and for --help), 1 when the scan or the writing fails, 2 for bad arguments. Never exits
// the process itself. `environment` is where opening folders and writing the snapshot may fail
// (tests).
int runCommandLine(int argc, const char* const* argv, const Console& console = {},
                   const ScanEnvironment& environment = ScanEnvironment::standard());

}  // namespace brimlet
