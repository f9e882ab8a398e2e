#include "app/gui/last_scan.h"

#include <sys/stat.h>

#include <cerrno>

#include "extension/shared/identifiers.h"
#include "platform/foundation/container.h"
#include "platform/foundation/file.h"

namespace brimlet::gui {

LastScan readLastScan() {
    LastScan last;
    const auto container = foundation::groupContainerPath(kAppGroupIdentifier);
    if (!container) return last;
    last.path = *container;
    if (!last.path.empty() && last.path.back() != '/') last.path += '/';
    last.path += kSnapshotFileName;
    struct stat st {};
    if (::lstat(last.path.c_str(), &st) != 0 && errno == ENOENT) return last;
    if (const auto bytes = foundation::readWholeFile(last.path)) {
        last.snapshot = DiskSnapshot::decode(*bytes);
    }
    last.state = last.snapshot ? LastScan::State::read : LastScan::State::unreadable;
    return last;
}

}  // namespace brimlet::gui
