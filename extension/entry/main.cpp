// brimlet-widgets: the extension's entry over the command-line widget host, which reads the
// command line and ends the process with its own exit status.

#include "extension/entry/bundle.h"
#include "platform/widgetkit/host/host.h"

int main(int argc, char** argv) {
    widgetkit::WidgetBundle::main<brimlet::BrimletWidgetBundle>(argc, argv,
                                                                widgetkit::host::runHost);
    return 0;
}
