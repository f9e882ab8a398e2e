#pragma once
// The double of the systemd user manager (tests/app/systemd_double.py) on a private session bus,
// for the tests of "Scan every day".

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/scratch.h"

extern char** environ;

namespace brimlet_test {

// The double of the systemd user manager (tests/app/systemd_double.py) on a bus of its own, from
// dbus-run-session; it ends when its standard input closes.
class ManagerDouble {
public:
    explicit ManagerDouble(std::vector<std::string> flags) {
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        std::vector<std::string> args{
            "dbus-run-session", "--", "/usr/bin/python3",
            std::string(BRIMLET_SOURCE_DIR) + "/tests/app/systemd_double.py", log()};
        args.insert(args.end(), flags.begin(), flags.end());
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (::posix_spawnp(&pid_, "dbus-run-session", &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        input_ = in[1];
        char c = 0;
        while (::read(out[0], &c, 1) == 1 && c != '\n') address_ += c;
        ::close(out[0]);
    }
    ~ManagerDouble() {
        ::close(input_);
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    }
    const std::string& address() const { return address_; }
    std::string log() const { return scratch_ / "calls.log"; }
    std::string calls() const {
        std::stringstream text;
        text << std::ifstream(log()).rdbuf();
        return text.str();
    }

private:
    ScratchDir scratch_;
    pid_t pid_ = -1;
    int input_ = -1;
    std::string address_;
};

inline bool haveDouble() {
    return std::system(
               "command -v dbus-run-session >/dev/null && "
               "/usr/bin/python3 -c 'import dbus, gi' 2>/dev/null") == 0;
}

}  // namespace brimlet_test
