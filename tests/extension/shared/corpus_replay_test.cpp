// Replays the fuzzer's seed corpus (fuzz/corpus) through decoding, in name order, so that every
// build checks the inputs the fuzzer starts from and any crash input that was added to them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "extension/shared/disk_snapshot.h"
#include "platform/foundation/file.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

namespace fs = std::filesystem;

TEST(FuzzCorpusReplay, EverySeedDecodesOrFailsCleanlyAndRoundTrips) {
    const fs::path corpus = fs::path(BRIMLET_SOURCE_DIR) / "fuzz" / "corpus";
    ASSERT_TRUE(fs::is_directory(corpus)) << corpus;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(corpus)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    ASSERT_GE(files.size(), 5U);

    std::size_t decoded = 0;
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        const auto bytes = foundation::readWholeFile(file.string());
        ASSERT_TRUE(bytes.has_value());
        const auto snapshot = DiskSnapshot::decode(*bytes);
        if (!snapshot) continue;
        ++decoded;
        // Whatever decodes has a JSON form, and that form decodes to the same values.
        const auto encoded = snapshot->encode();
        ASSERT_TRUE(encoded.has_value());
        const auto again = DiskSnapshot::decode(*encoded);
        ASSERT_TRUE(again.has_value());
        EXPECT_TRUE(brimlet_test::sameSnapshot(*snapshot, *again));
    }
    // The corpus is made of real-shaped documents: most of them decode.
    EXPECT_GE(decoded * 2, files.size());
}

}  // namespace
}  // namespace brimlet
