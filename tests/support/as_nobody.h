#pragma once
// What an ordinary user meets: the tests run as root, whom permissions never stop, so it is tried
// in a child process that has given up root's identity for good.

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <exception>
#include <functional>
#include <string>

namespace brimlet_test {

// Runs `body` in a child process as "nobody" (as itself when not root) and returns the text it
// reports. A text starting "cannot " says the body could not run: no child, no switch of
// identity, or the exception it threw.
inline std::string reportAsNobody(const std::function<std::string()>& body) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return "cannot make a pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        std::string said = "cannot become nobody";
        if (::geteuid() != 0 ||
            (::setgroups(0, nullptr) == 0 && ::setresgid(kNobody, kNobody, kNobody) == 0 &&
             ::setresuid(kNobody, kNobody, kNobody) == 0)) {
            try {
                said = body();
            } catch (const std::exception& e) {
                said = std::string("cannot run: ") + e.what();
            }
        }
        const auto n = static_cast<ssize_t>(said.size());
        ::_exit(n == 0 || ::write(fds[1], said.data(), said.size()) == n ? 0 : 1);
    }
    ::close(fds[1]);
    std::string said;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    if (child < 0) return "cannot fork";
    ::waitpid(child, nullptr, 0);
    return said;
}

}  // namespace brimlet_test
