#include "app/cli/window_launch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>

#include "app/actions/published.h"
#include "platform/foundation/command.h"
#include "platform/foundation/file.h"

namespace brimlet {
namespace {

constexpr std::string_view kProgram = "brimlet-app";

bool isFolder(const char* path) {
    struct stat st {};
    return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

constexpr std::string_view kAreaOption = "--area";

// The area of "--area=NAME" or "--area NAME" as the only arguments; nullopt for anything else.
std::optional<std::string_view> areaArgument(int argc, const char* const* argv) {
    if (argc < 2) return std::nullopt;
    const std::string_view first = argv[1];
    if (argc == 3 && first == kAreaOption) return std::string_view(argv[2]);
    if (argc == 2 && first.starts_with(kAreaOption) && first.size() > kAreaOption.size() &&
        first[kAreaOption.size()] == '=') {
        return first.substr(kAreaOption.size() + 1);
    }
    return std::nullopt;
}

void say(int fd, const std::string& message) {
    // One line on a descriptor that may be closed: nothing more can be done if it fails.
    (void)foundation::writeAll(fd, foundation::messageLine("brimlet", message));
}

}  // namespace

bool wantsWindow(int argc, const char* const* argv, const std::vector<std::string>& commands) {
    if (argc <= 1) return true;
    const std::string_view first = argv[1];
    if (first == "--screenshot" || first.starts_with("--screenshot=")) return true;
    if (areaArgument(argc, argv)) return true;
    if (argc != 2 || first.empty() || first.front() == '-') return false;
    if (std::find(commands.begin(), commands.end(), first) != commands.end()) return false;
    return isFolder(argv[1]) || first.find('/') != std::string_view::npos;
}

std::vector<std::string> windowArguments(int argc, const char* const* argv) {
    if (const auto area = areaArgument(argc, argv)) {
        const auto folder = areaFolder(*area);
        return folder ? std::vector<std::string>{*folder} : std::vector<std::string>{};
    }
    return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

std::string windowProgram() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    const auto here = self.parent_path();
    for (const auto& candidate : {here / kProgram, here / ".." / "lib" / "brimlet" / kProgram}) {
        if (::access(candidate.c_str(), X_OK) == 0) return candidate.lexically_normal().string();
    }
    return {};
}

int openWindow(int argc, const char* const* argv, int errFd) {
    if (!isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY")) {
        say(errFd, "no display; to scan from a terminal, run 'brimlet scan'");
        return 1;
    }
    const std::string program = windowProgram();
    if (program.empty()) {
        say(errFd,
            "the window program (brimlet-app) is not installed; to scan from a terminal, "
            "run 'brimlet scan'");
        return 1;
    }
    std::vector<std::string> arguments = windowArguments(argc, argv);
    std::vector<char*> args;
    args.push_back(const_cast<char*>(program.c_str()));
    for (std::string& argument : arguments) args.push_back(argument.data());
    args.push_back(nullptr);
    ::execv(program.c_str(), args.data());
    say(errFd, program + ": " + std::strerror(errno));
    return 1;
}

}  // namespace brimlet
