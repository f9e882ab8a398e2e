#pragma once
// brimlet-desk: the live widget host. A GTK 4 window that shows the placed widgets of the same
// store as brimlet-widgets, drawn by the same renderer, and keeps them current.
//
// The program is the extension's own entry linked with this library instead of the command-line
// host: this library defines widgetkit::runHost.

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/widgetkit/configuration.h"

namespace widgetkit::desk {

// Runs the desk for `args` (args[0] is the program) and returns the exit status: 0 done, 1 no
// display or a screenshot that could not be written, 2 bad arguments. --help and --version
// answer without a display. `widgets` must live as long as the process.
int run(const TupleWidget& widgets, const std::vector<std::string>& args, std::ostream& out,
        std::ostream& err);

}  // namespace widgetkit::desk
