#include "platform/widgetkit/desk/autostart.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/foundation/file.h"
#include "platform/foundation/home.h"

namespace widgetkit::desk {
namespace {

constexpr const char* kEntryName = "org.brimlet.Brimlet.Desk.desktop";

// An Exec argument quoted as desktop entries quote: in double quotes, with \ " ` $ escaped.
std::string quoted(const std::string& argument) {
    std::string out = "\"";
    for (const char c : argument) {
        if (c == '\\' || c == '"' || c == '`' || c == '$') out += '\\';
        out += c;
    }
    return out + "\"";
}

}  // namespace

std::optional<std::string> autostartPath() {
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
        config = xdg;
    } else if (const auto home = foundation::homeDirectory()) {
        config = *home + "/.config";
    } else {
        return std::nullopt;
    }
    return config + "/autostart/" + kEntryName;
}

bool startsAtLogin() {
    const auto path = autostartPath();
    std::error_code ignored;
    return path && std::filesystem::exists(*path, ignored);
}

foundation::Status setStartAtLogin(bool on, const std::string& program) {
    const auto path = autostartPath();
    if (!path) return foundation::Status::failure("there is no home folder");
    if (!on) {
        if (std::remove(path->c_str()) != 0 && errno != ENOENT) {
            return foundation::Status::failure("cannot remove " + *path + ": " +
                                               std::strerror(errno));
        }
        return {};
    }
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(*path).parent_path(), error);
    if (error)
        return foundation::Status::failure("cannot make the folder of " + *path + ": " +
                                           error.message());
    const std::string entry =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Brimlet Desk\n"
        "Comment=Your Brimlet widgets, kept current\n"
        "Exec=" +
        quoted(program) +
        "\n"
        "Icon=org.brimlet.Brimlet.Desk\n"
        "X-GNOME-Autostart-enabled=true\n";
    return foundation::writeFileAtomically(*path, entry);
}

}  // namespace widgetkit::desk
