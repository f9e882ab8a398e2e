#pragma once
// The last scan the window opens on: the snapshot in the shared container, read once.

#include <optional>
#include <string>

#include "extension/shared/disk_snapshot.h"

namespace brimlet::gui {

struct LastScan {
    enum class State { none, unreadable, read };
    State state = State::none;
    std::string path;                      // the snapshot file (empty: no data home)
    std::optional<DiskSnapshot> snapshot;  // state == read only
};

// Reads the shared container's snapshot.json as the widgets do (never blocking, at most
// 4 MiB). `none` when there is no file there; `unreadable` when there is one that cannot be
// read or is not a valid snapshot, so that the window can name it.
LastScan readLastScan();

}  // namespace brimlet::gui
