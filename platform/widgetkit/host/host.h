#pragma once
// The widget host: answers the command line of brimlet-widgets over a bundle's declarations.
//
// Exit status: 0 done, 1 a failure (a file could not be written, a corrupt store), 2 bad
// arguments (one line on standard error says what is wrong).

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/widgetkit/configuration.h"

namespace widgetkit::host {

// Runs one command line (argv[0] is the program) and returns the exit status. Output goes to
// `out`, diagnostics to `err`. runHost() calls this and exits with its result.
int run(const TupleWidget& widgets, const std::vector<std::string>& args, std::ostream& out,
        std::ostream& err);

// brimlet-widgets' entry (a widgetkit::HostEntry): run() over the bundle's widgets and the
// process's arguments, then exits with its status (1 when standard output could not be written).
[[noreturn]] void runHost(const BundleDeclaration& bundle, int argc, char** argv);

}  // namespace widgetkit::host
