// The window's text rules: names drawn safely, and numbers as the window writes them.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "app/gui/format.h"

namespace brimlet::gui {
namespace {

// A folder row is drawn from its raw name by the desk's rule: one U+FFFD per ill-formed
// sequence (not per byte, as the snapshot's UTF-8 has it), controls as symbols, bidirectional
// controls left out; the files row keeps its own name.
TEST(ShownName, FolderRowsFollowTheDesksRuleFromRawBytes) {
    const struct {
        std::string raw, shown;
    } cases[] = {
        {"cut\xe2\x82", "cut\uFFFD"},
        {"bad\xff\xfe", "bad\uFFFD\uFFFD"},
        {"bidi\u202Egnp.exe\n", "bidignp.exe\u240A"},
        {"Übersicht 資料 🎞", "Übersicht 資料 🎞"},
    };
    for (const auto& c : cases) {
        Folder folder;
        folder.name = c.raw;
        const ExplorerRow row{&folder, c.raw, 0, 0, 0, FileKind::other};
        EXPECT_EQ(shownName(row), c.shown) << c.raw;
    }
    const ExplorerRow files{nullptr, kFilesRowName, 0, 0, 0, FileKind::other};
    EXPECT_EQ(shownName(files), kFilesRowName);
}

// "of about" only for an estimate that is known, positive and not yet passed.
TEST(Format, ScannedBytesNameTheWholeOnlyWhileTheEstimateHolds) {
    const struct {
        std::int64_t bytes;
        std::optional<std::int64_t> expected;
        std::string shown;
    } cases[] = {
        {1536, std::nullopt, "1.5 KB"},
        {1536, 0, "1.5 KB"},
        {1536, -1, "1.5 KB"},
        {0, 1 << 30, "0 B of about 1.0 GB"},
        {1 << 30, 1 << 30, "1.0 GB of about 1.0 GB"},
        {(1 << 30) + 1, 1 << 30, "1.0 GB"},
    };
    for (const auto& c : cases) EXPECT_EQ(scannedBytes(c.bytes, c.expected), c.shown) << c.bytes;
}

TEST(Format, GroupsDigitsAndWritesTimesAndShares) {
    EXPECT_EQ(groupDigits(0), "0");
    EXPECT_EQ(groupDigits(999), "999");
    EXPECT_EQ(groupDigits(1000), "1,000");
    EXPECT_EQ(groupDigits(-1234567), "-1,234,567");
    EXPECT_EQ(groupDigits(std::numeric_limits<std::int64_t>::min()), "-9,223,372,036,854,775,808");
    EXPECT_EQ(elapsed(0), "0:00");
    EXPECT_EQ(elapsed(7.9), "0:07");
    EXPECT_EQ(elapsed(754), "12:34");
    EXPECT_EQ(elapsed(3723), "1:02:03");
    EXPECT_EQ(elapsed(-1), "0:00");
    EXPECT_EQ(elapsed(std::numeric_limits<double>::quiet_NaN()), "0:00");
    EXPECT_EQ(percent(0), "0%");
    EXPECT_EQ(percent(0.004), "<1%");
    EXPECT_EQ(percent(0.005), "1%");
    EXPECT_EQ(percent(0.475), "48%");
    EXPECT_EQ(percent(1), "100%");
    EXPECT_EQ(percent(std::numeric_limits<double>::infinity()), "0%");
}

}  // namespace
}  // namespace brimlet::gui
