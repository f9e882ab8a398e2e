#pragma once
// The one reader of the snapshot file.

#include <optional>

#include "extension/shared/disk_snapshot.h"

namespace brimlet::SharedSnapshot {

// Reads and decodes "snapshot.json" from the shared container, afresh on every call. Every
// failure (no container, no file, not a regular file, larger than 4 MiB, not a valid snapshot)
// yields nullopt, silently. Never blocks on a FIFO; safe to call from any thread.
std::optional<DiskSnapshot> read();

}  // namespace brimlet::SharedSnapshot
