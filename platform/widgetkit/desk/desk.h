#pragma once
// brimlet-desk: the live widget host. A GTK 4 window that shows the placed widgets of the same
// store as brimlet-widgets, drawn by the same renderer, and keeps them current.

#include "platform/widgetkit/configuration.h"

namespace widgetkit::desk {

// brimlet-desk's entry (a widgetkit::HostEntry): reads the options, runs the desk and ends the
// process with its exit status: 0 done, 1 no display or a screenshot that could not be written,
// 2 bad arguments. --help and --version answer without a display.
[[noreturn]] void runHost(const BundleDeclaration& bundle, int argc, char** argv);

}  // namespace widgetkit::desk
