#pragma once
// `brimlet history` and `brimlet growth`: the scans remembered, read back.

#include <cstddef>
#include <string>

#include "app/cli/command_line.h"

namespace brimlet {

inline constexpr std::size_t kDefaultGrowthTop = 10;

struct HistoryArguments {
    std::string root;   // only this root's records; empty: every record
    bool json = false;  // one JSON document on standard output instead of a table
};

struct GrowthArguments {
    std::string since;  // "7d", "2w" or an ISO 8601 date; empty: the record before the latest
    std::string root;   // empty: the root of the latest record
    std::size_t top = kDefaultGrowthTop;
    bool json = false;
};

// Lists the records, oldest first: time, used and total bytes of the volume, files, folders,
// root. Returns 0, also when there are none ("No scans recorded yet."). Throws
// foundation::CommandError when the history cannot be read or the answer cannot be written.
int runHistoryCommand(const HistoryArguments& arguments, const Console& console);

// Compares the latest record of a root with an earlier one and prints the folders that changed
// most, then the estimate of when the volume fills. Returns 0. Throws foundation::CommandError:
// status 2 for a bad --since; 1 when the history is missing, cannot be read, or holds fewer than
// two records of the root.
int runGrowthCommand(const GrowthArguments& arguments, const Console& console);

}  // namespace brimlet
