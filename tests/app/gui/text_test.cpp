// The window's text rules: names shown safely, and numbers as the window writes them.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "app/gui/format.h"
#include "app/gui/safe_name.h"

namespace brimlet::gui {
namespace {

// Controls become their visible symbols, bidirectional controls vanish, invalid bytes become
// U+FFFD; everything else, other scripts and emoji included, stays as it is.
TEST(SafeName, ShowsControlsAndDropsBidiControls) {
    const struct {
        std::string name, shown;
    } cases[] = {
        {"plain", "plain"},
        {"", ""},
        {"line\nbreak", "line\u240Abreak"},
        {std::string("nul\0x", 5), "nul\u2400x"},
        {"esc\x1b[31m", "esc\u241B[31m"},
        {"del\x7f", "del\u2421"},
        {"c1\xc2\x85", "c1\uFFFD"},
        {"bidi\u202Egnp.exe", "bidignp.exe"},
        {"\u2066iso\u2069\u200E\u200F\u061C", "iso"},
        {"bad\xff\xfe", "bad\uFFFD\uFFFD"},
        {"cut\xe2\x82", "cut\uFFFD\uFFFD"},
        {"Übersicht 資料 🎞", "Übersicht 資料 🎞"},
    };
    for (const auto& c : cases) EXPECT_EQ(safeName(c.name), c.shown) << c.name;
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
