#pragma once
// A scratch data home that holds the app group's container with one snapshot file, for tests and
// benchmarks that read the snapshot the way the widgets do.

#include <filesystem>
#include <string>
#include <string_view>

#include "extension/shared/identifiers.h"
#include "platform/foundation/file.h"
#include "tests/support/scratch.h"

namespace brimlet_test {

class SnapshotHome {
public:
    // `document` becomes <home>/<app group>/snapshot.json.
    explicit SnapshotHome(std::string_view document) {
        std::error_code error;
        std::filesystem::create_directories(container(), error);
        ok_ = !error && !scratch_.path().empty() &&
              foundation::writeFileAtomically(path(), document).ok();
    }

    // The data home: what a container-root override or $XDG_DATA_HOME names.
    const std::string& root() const { return scratch_.path(); }
    std::string container() const { return scratch_ / std::string(brimlet::kAppGroupIdentifier); }
    std::string path() const { return container() + "/" + std::string(brimlet::kSnapshotFileName); }
    // False when the folder or the file could not be made.
    bool ok() const { return ok_; }

private:
    ScratchDir scratch_;
    bool ok_ = false;
};

}  // namespace brimlet_test
