#pragma once
// The project's version, set once in the top-level project() and printed by every program's
// --version ("0.1.0").

#include <string_view>

namespace foundation {

std::string_view projectVersion();

}  // namespace foundation
