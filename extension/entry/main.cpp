// The extension's entry: hands the bundle to the widget host, which reads the command line and
// ends the process with its own exit status.

#include "extension/entry/bundle.h"

int main(int argc, char** argv) {
    widgetkit::WidgetBundle::main<brimlet::BrimletWidgetBundle>(argc, argv);
    return 0;
}
