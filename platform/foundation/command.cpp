#include "platform/foundation/command.h"

#include <ostream>

#include "platform/foundation/escape.h"

namespace foundation {

std::string messageLine(std::string_view program, std::string_view message) {
    std::string line(program);
    line += ": ";
    line += escapeForTerminal(message);
    line += '\n';
    return line;
}

int runCommand(std::string_view program, const std::function<int()>& command,
               const std::function<void(std::string_view line)>& writeLine) {
    try {
        return command();
    } catch (const CommandError& e) {
        writeLine(messageLine(program, e.what()));
        return e.exitStatus();
    } catch (const std::exception& e) {
        writeLine(messageLine(program, e.what()));
        return kExitFailure;
    }
}

int runCommand(std::string_view program, const std::function<int()>& command, std::ostream& err) {
    return runCommand(program, command, [&err](std::string_view line) { err << line; });
}

}  // namespace foundation
