#include "app/cli/command_line.h"

int main(int argc, char** argv) {
    return brimlet::runCommandLine(argc, argv, brimlet::Console{.window = true});
}
