#include "platform/foundation/container.h"

#include <sys/stat.h>

#include <cstdlib>

#include "platform/foundation/home.h"
#include "platform/foundation/testing.h"

namespace foundation {
namespace {

std::optional<std::string> dataHome() {
    if (const auto* root = testing::detail::containerRootOverride()) {
        if (root->empty()) return std::nullopt;
        return *root;
    }
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
        return std::string(xdg);
    }
    auto home = homeDirectory();
    if (!home) return std::nullopt;
    return *home + "/.local/share";
}

}  // namespace

std::optional<std::string> groupContainerPath(std::string_view groupIdentifier) {
    // An identifier that could leave the data home is no group identifier.
    if (groupIdentifier.empty() || groupIdentifier == "." || groupIdentifier == ".." ||
        groupIdentifier.find('/') != std::string_view::npos ||
        groupIdentifier.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    auto base = dataHome();
    if (!base) return std::nullopt;
    std::string path = std::move(*base);
    if (path.empty() || path.back() != '/') path += '/';
    path.append(groupIdentifier);
    path += '/';
    return path;
}

std::optional<std::string> groupContainer(std::string_view groupIdentifier) {
    auto path = groupContainerPath(groupIdentifier);
    if (!path) return std::nullopt;
    struct stat st {};
    if (::stat(path->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
    return path;
}

}  // namespace foundation
