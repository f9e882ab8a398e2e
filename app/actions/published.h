#pragma once
// The snapshot in the shared container together with the folder it was scanned from. The
// snapshot names only the root's last component; the full path is kept beside it, in
// `snapshot-root.conf` (a key file: [Snapshot] Root, Top, GeneratedAt), so that a pin or a move
// to the trash can rewrite the snapshot without a rescan. The record counts only while its
// GeneratedAt equals the snapshot's: a snapshot written by anything else makes it stale.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "extension/shared/disk_snapshot.h"

namespace brimlet {

struct PublishedSnapshot {
    DiskSnapshot snapshot;
    std::string root;  // canonical path of the scanned folder
    std::size_t top;   // entries per topFolders list
};

// Writes the record of the snapshot just written to the shared container. A root that is not
// UTF-8 is not recorded (the record is removed instead). Throws ScanError when it cannot be
// written.
void recordSnapshotRoot(const std::string& root, std::size_t top, foundation::Date generatedAt);

// Writes `snapshot` to the shared container (atomically, see snapshot_file.h) and records its
// root. Throws ScanError on failure.
void publishSnapshot(const DiskSnapshot& snapshot, const std::string& root, std::size_t top);

// The snapshot in the shared container with its recorded root; nullopt when either is missing,
// unreadable or stale.
std::optional<PublishedSnapshot> readPublishedSnapshot();

// The folder Brimlet opens for a Disk Breakdown widget's area: `area` is the area's name as the
// widget stores it (relative to the scanned folder; "" for the whole disk). The recorded root
// joined with the published snapshot's area of that name (compared as Unicode text, as the
// widget compares it) while that is a folder; otherwise the root itself, as for the whole disk:
// a name the snapshot no longer holds (the widget then shows the whole disk too), a name that is
// not a path inside the root, an area whose folder is gone. nullopt without a published snapshot.
std::optional<std::string> areaFolder(std::string_view area);

}  // namespace brimlet
