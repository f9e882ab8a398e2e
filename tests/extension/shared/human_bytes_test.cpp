#include "extension/shared/human_bytes.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

namespace brimlet {
namespace {

TEST(HumanBytes, Table) {
    struct Case {
        std::int64_t bytes;
        const char* text;
    };
    const Case cases[] = {
        {0, "0 B"},
        {-1, "-1 B"},
        {-1024, "-1024 B"},
        {-1'000'000'000'000, "-1000000000000 B"},
        {1, "1 B"},
        {999, "999 B"},
        {1000, "1000 B"},
        {1023, "1023 B"},
        {1024, "1.0 KB"},
        {1076, "1.1 KB"},   // 1.05078125 rounds up
        {1280, "1.2 KB"},   // exactly 1.25: the even digit wins
        {1792, "1.8 KB"},   // exactly 1.75: the even digit wins
        {1536, "1.5 KB"},
        {10239, "10.0 KB"},
        {1'000'000, "976.6 KB"},
        {1'048'575, "1024.0 KB"},  // 1023.999…: the unit stays although the text reads 1024.0
        {1'048'576, "1.0 MB"},
        {1'073'741'823, "1024.0 MB"},
        {1'073'741'824, "1.0 GB"},
        {1'000'000'000, "953.7 MB"},
        {48'000'000'000, "44.7 GB"},
        {500'000'000'000, "465.7 GB"},
        {1'000'000'000'000, "931.3 GB"},
        {1'099'511'627'775, "1024.0 GB"},
        {1'099'511'627'776, "1.0 TB"},
        {1'125'899'906'842'623, "1024.0 TB"},
        {1'125'899'906'842'624, "1024.0 TB"},  // 1024^5: no unit above TB
        {1'152'921'504'606'846'976, "1048576.0 TB"},  // 2^60
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(humanBytes(c.bytes), c.text);
    }
}

TEST(HumanBytes, Extremes) {
    EXPECT_EQ(humanBytes(std::numeric_limits<std::int64_t>::max()), "8388608.0 TB");
    EXPECT_EQ(humanBytes(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808 B");
}

// Restores the process locale at the end of the scope.
class ScopedLocale {
public:
    ScopedLocale() {
        if (const char* current = std::setlocale(LC_ALL, nullptr)) saved_ = current;
    }
    ~ScopedLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

private:
    std::string saved_ = "C";
};

TEST(HumanBytes, TheLocaleNeverChangesTheText) {
    const ScopedLocale restore;
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
        << "the de_DE.UTF-8 locale is missing (scripts/install-deps.sh generates it)";
    // The locale is really in force: printf now writes a decimal comma.
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f", 1.5);
    ASSERT_STREQ(buffer, "1,5");

    EXPECT_EQ(humanBytes(1536), "1.5 KB");
    EXPECT_EQ(humanBytes(1'000'000), "976.6 KB");
    EXPECT_EQ(humanBytes(1'000'000'000'000'000), "909.5 TB");
    EXPECT_EQ(humanBytes(std::numeric_limits<std::int64_t>::max()), "8388608.0 TB");
    EXPECT_EQ(humanBytes(1000), "1000 B");
    EXPECT_EQ(humanBytes(-1234567), "-1234567 B");
}

}  // namespace
}  // namespace brimlet
