// brimlet-desk: the extension's entry over the live host, a GTK 4 window that ends the process
// with its own exit status.

#include "extension/entry/bundle.h"
#include "platform/widgetkit/desk/desk.h"

int main(int argc, char** argv) {
    widgetkit::WidgetBundle::main<brimlet::BrimletWidgetBundle>(argc, argv,
                                                                widgetkit::desk::runHost);
    return 0;
}
