#include "extension/shared/human_bytes.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

namespace brimlet {
namespace {

constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
constexpr auto kMin = std::numeric_limits<std::int64_t>::min();

// The text never follows the locale: the table holds under C and under a decimal-comma locale.
TEST(HumanBytes, UnitBoundariesAndRoundingInAnyLocale) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0 B"},
        {-1024, "-1024 B"},
        {kMin, "-9223372036854775808 B"},
        {1023, "1023 B"},
        {1024, "1.0 KB"},
        {1076, "1.1 KB"},          // 1.05078125 rounds up
        {1280, "1.2 KB"},          // exactly 1.25: the even digit wins
        {1792, "1.8 KB"},          // exactly 1.75: the even digit wins
        {10239, "10.0 KB"},        // 9.999…: the carry reaches the tens
        {1'048'575, "1024.0 KB"},  // 1023.999…: the unit stays although the text reads 1024.0
        {1'048'576, "1.0 MB"},
        {1'099'511'627'776, "1.0 TB"},
        {1'125'899'906'842'624, "1024.0 TB"},  // 1024^5: no unit above TB
        {kMax, "8388608.0 TB"},
    };
    struct Restore {
        std::string saved = std::setlocale(LC_ALL, nullptr);
        ~Restore() { std::setlocale(LC_ALL, saved.c_str()); }
    } restore;
    for (const char* locale : {"C", "de_DE.UTF-8"}) {
        ASSERT_NE(std::setlocale(LC_ALL, locale), nullptr)
            << locale << " is missing (scripts/install-deps.sh generates it)";
        SCOPED_TRACE(locale);
        for (const auto& [bytes, text] : cases) EXPECT_EQ(humanBytes(bytes), text) << bytes;
    }
    // The locale was really in force: printf writes a decimal comma.
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f", 1.5);
    EXPECT_STREQ(buffer, "1,5");
}

}  // namespace
}  // namespace brimlet
