#include "platform/foundation/version.h"

namespace foundation {

// BRIMLET_VERSION is defined for this file alone, so a new version recompiles one file.
std::string_view projectVersion() { return BRIMLET_VERSION; }

}  // namespace foundation
