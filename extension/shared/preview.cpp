#include "extension/shared/disk_snapshot.h"

namespace brimlet {

const DiskSnapshot& DiskSnapshot::preview() {
    // Built on first use (thread-safe static initialisation) and never destroyed, so that a pool
    // thread still rendering a placeholder at exit never meets a destroyed sample.
    static const DiskSnapshot* const sample = new DiskSnapshot{
        .generatedAt = foundation::Date::fromUnixSeconds(0),
        .volumeName = "Macintosh HD",
        .usedFraction = 0.6,
        .used = 556'000'000'000,
        .free = 370'000'000'000,
        .total = 926'000'000'000,
        .topFolders =
            {
                {"node_modules", 48'000'000'000},
                {"Photos Library", 31'000'000'000},
                {"Downloads", 22'000'000'000},
                {"Library", 18'000'000'000},
                {"Movies", 12'000'000'000},
            },
        .topKinds =
            {
                {"Media", 42'000'000'000},
                {"Code & dev", 38'000'000'000},
                {"Images", 25'000'000'000},
                {"Archives", 9'000'000'000},
            },
        .areas =
            std::vector<DiskSnapshot::Area>{
                {
                    .name = "work",
                    .total = 22'000'000'000,
                    .topFolders = {{"larrow", 9'000'000'000}, {"mebbin-app", 6'000'000'000}},
                    .topKinds = {{"Binaries", 12'000'000'000}, {"Code & dev", 6'000'000'000}},
                },
            },
        .rootName = "code",
    };
    return *sample;
}

}  // namespace brimlet
