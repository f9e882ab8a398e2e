#pragma once
// The folder that an app and its extensions share (the app-group container).

#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// `($XDG_DATA_HOME, or <home>/.local/share)/<groupIdentifier>/` when that folder exists, else
// nullopt. $XDG_DATA_HOME counts only when it is absolute. The lookup never creates anything:
// creating the container is the containing app's business. A test may move the root
// (foundation::testing::ScopedContainerRoot).
std::optional<std::string> groupContainer(std::string_view groupIdentifier);

// The same path, whether or not the folder exists; nullopt when no data home can be found. For
// the containing app, which creates the container.
std::optional<std::string> groupContainerPath(std::string_view groupIdentifier);

}  // namespace foundation
