#pragma once
// How every program of the project fails: one error type that carries its exit status, and one
// boundary that turns it into the single line a person reads on standard error.
//
// Exit status: 0 done; 1 something could not be done (a file could not be written, a store is
// corrupt, standard output refused the answer), and nothing was changed; 2 bad arguments.

#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>

namespace foundation {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// A command that cannot go on. `message` says what is wrong, built from raw names as they are:
// the boundary escapes it when it writes it.
class CommandError : public std::runtime_error {
public:
    explicit CommandError(const std::string& message, int exitStatus = kExitFailure)
        : std::runtime_error(message), exitStatus_(exitStatus) {}

    // kExitFailure or kExitUsage.
    int exitStatus() const { return exitStatus_; }

private:
    int exitStatus_;
};

// A CommandError with kExitUsage: the arguments are at fault.
inline CommandError usageError(const std::string& message) {
    return CommandError(message, kExitUsage);
}

// "program: message\n", with `message` passed through escapeForTerminal, so that it is always
// exactly one line whatever names it holds.
std::string messageLine(std::string_view program, std::string_view message);

// Runs `command` and returns its exit status. A CommandError becomes its message line, written
// through `writeLine`, and its exit status; any other exception becomes its message line and
// kExitFailure.
int runCommand(std::string_view program, const std::function<int()>& command,
               const std::function<void(std::string_view line)>& writeLine);

// The same, with the message line written to `err`.
int runCommand(std::string_view program, const std::function<int()>& command, std::ostream& err);

}  // namespace foundation
