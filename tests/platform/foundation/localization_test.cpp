#include "platform/foundation/localization.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

namespace foundation {
namespace {

// Without catalogs a key is its own text, so each format goes through localizedFormat() first.
TEST(FormatLocalized, SubstitutesByOwnCodeNeverPrintf) {
    using Arguments = std::vector<FormatArgument>;
    const std::tuple<const char*, const char*, Arguments, std::string> cases[] = {
        {"strings in order", "%@ of %@", {"577.4 GB", "931.3 GB"}, "577.4 GB of 931.3 GB"},
        {"an inserted value is never rescanned", "%@ and %@", {"%@%n", "x"}, "%@%n and x"},
        {"integer then doubled percent", "%lld%%", {std::int64_t{62}}, "62%"},
        {"lone percent at the end stays", "50%", {}, "50%"},
        {"unknown specifier stays as written", "%q %@", {"a"}, "%q a"},
        {"missing argument keeps the specifier", "%@ and %@", {"one"}, "one and %@"},
        {"positions do not move the next argument", "%2$@ %@ %1$@", {"A", "B"}, "B A A"},
        {"i is d", "%i/%ld", {std::int64_t{-4}, std::int64_t{5}}, "-4/5"},
        {"smallest int64", "%lld", {std::int64_t{INT64_MIN}}, "-9223372036854775808"},
        {"largest uint64", "%llu", {~std::uint64_t{0}}, "18446744073709551615"},
        {"fixed precision", "%.1f GB", {2.25}, "2.2 GB"},
        {"default precision", "%F", {0.5}, "0.500000"},
        {"an integer for f", "%.2f", {std::int64_t{7}}, "7.00"},
        {"a double for d drops the fraction", "%d", {-2.9}, "-2"},
        {"a double for @ is shortest", "%@", {0.5}, "0.5"},
        {"a string for an integer is inserted as it is", "%lld", {"Données"}, "Données"},
    };
    for (const auto& [what, format, arguments, expected] : cases) {
        SCOPED_TRACE(what);
        EXPECT_EQ(formatLocalized(localizedFormat(format), arguments), expected);
    }
}

}  // namespace
}  // namespace foundation
