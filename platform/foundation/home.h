#pragma once
// The home directory of the process's user.

#include <optional>
#include <string>

namespace foundation {

// $HOME when it is set, non-empty and absolute; otherwise the password entry's directory
// (getpwuid_r) when that is absolute. nullopt when neither gives an absolute path: a relative or
// empty path would silently measure or read whatever the working directory happens to be.
std::optional<std::string> homeDirectory();

}  // namespace foundation
