#pragma once
// Test-side tools for the history: records made from a short list of folders, and a scratch
// data home that historyPath() points into for the life of the object.

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/history/history.h"
#include "platform/foundation/testing.h"
#include "tests/support/scratch.h"

namespace brimlet_test {

inline constexpr double kDay = 86400.0;

// A record of `root` at `time` (seconds since the reference date) holding `folders` as
// {path, size}; each folder's bytes are all Code, so kinds round-trip too.
inline brimlet::HistoryRecord recordOf(
    const std::string& root, double time,
    const std::vector<std::pair<std::string, std::int64_t>>& folders, std::int64_t used = 500,
    std::int64_t total = 1000) {
    brimlet::HistoryRecord record;
    record.summary = {0, root, foundation::Date{time}, used, total, 7, 3};
    for (const auto& [path, size] : folders) {
        brimlet::FolderRecord folder{path, size, {}};
        folder.kinds[static_cast<std::size_t>(brimlet::FileKind::code)] = size / 2;
        record.folders.push_back(folder);
    }
    return record;
}

// A scratch data home for historyPath(), with the history's folder made; file() is where the
// history lives in it.
class HistoryHome {
public:
    HistoryHome() {
        std::filesystem::create_directories(std::filesystem::path(file()).parent_path());
    }
    std::string file() const { return *brimlet::historyPath(); }
    const ScratchDir& dir() const { return dir_; }

private:
    ScratchDir dir_;
    foundation::testing::ScopedContainerRoot scope_{dir_.path()};
};

}  // namespace brimlet_test
