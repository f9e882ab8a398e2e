// brimlet-app: the Brimlet window. `brimlet` execs it when it is started without a command.
#include "app/gui/application.h"

int main(int argc, char** argv) {
    const auto app = brimlet::gui::Application::create();
    const int status = app->run(argc, argv);
    return status != 0 ? status : (app->failed() ? 1 : 0);
}
