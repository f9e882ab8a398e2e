#include "extension/shared/shared_snapshot.h"

#include <string>

#include "extension/shared/identifiers.h"
#include "platform/foundation/container.h"
#include "platform/foundation/file.h"

namespace brimlet::SharedSnapshot {

std::optional<DiskSnapshot> read() {
    const auto container = foundation::groupContainer(kAppGroupIdentifier);
    if (!container) return std::nullopt;
    // groupContainer ends in '/'. readWholeFile refuses anything but a regular file of at most
    // 4 MiB and never blocks, so a FIFO or a device put in the file's place yields nothing.
    const auto bytes = foundation::readWholeFile(*container + std::string(kSnapshotFileName));
    if (!bytes) return std::nullopt;
    return DiskSnapshot::decode(*bytes);
}

}  // namespace brimlet::SharedSnapshot
