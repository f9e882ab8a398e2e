#include "platform/foundation/localization.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/scratch.h"

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

// The catalogs as built (build/locale), against the environment's language, a missing folder, a
// broken catalog and the C locale: a text and a plural form by the catalog's own rule (French
// calls 0 singular, German plural), or by the English one wherever no catalog answers. Every
// case keeps numbers in "C" and ends back in "C".
TEST(UseUserLanguage, TranslatesFromCatalogsAndFallsBackToEnglish) {
    const std::string built = BRIMLET_TEST_LOCALEDIR;
    if (!std::filesystem::exists(built + "/de/LC_MESSAGES/brimlet.mo") ||
        std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "needs the de_DE.UTF-8 locale and the built catalogs";
    }
    std::setlocale(LC_ALL, "C");
    brimlet_test::ScratchDir scratch;
    std::filesystem::create_directories(scratch / "broken/de/LC_MESSAGES");
    std::ofstream(scratch / "broken/de/LC_MESSAGES/brimlet.mo") << "not a catalog";
    struct Case {
        const char* what;
        const char* lang;
        std::string folder;
        const char *key, *expected;
        std::uint64_t count;
        const char* plural;
    };
    const std::string missing = scratch / "missing", broken = scratch / "broken";
    const auto de = "de_DE.UTF-8";
    const Case cases[] = {
        {"German from the built catalog", de, built, "%@ free", "%@ frei", 0, "%@ Dateien"},
        {"French", "fr_FR.UTF-8", built, "Disk Space", "Espace disque", 0, "%@ fichier"},
        {"a key no catalog holds stays", de, built, "Not a key", "Not a key", 1, "%@ Datei"},
        {"the empty key is no catalog header", de, built, "", "", 1'000'001, "%@ Dateien"},
        {"missing catalog folder: English", de, missing, "%@ free", "%@ free", 1, "%@ file"},
        {"broken catalog: English", de, broken, "%@ free", "%@ free", 0, "%@ files"},
        {"C locale: English", "C", built, "%@ free", "%@ free", ~std::uint64_t{0}, "%@ files"},
    };
    const brimlet_test::ScopedEnv noAll("LC_ALL", std::nullopt);
    const brimlet_test::ScopedEnv noMessages("LC_MESSAGES", std::nullopt);
    const brimlet_test::ScopedEnv noLanguage("LANGUAGE", std::nullopt);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (std::string(c.lang) != "C" && std::setlocale(LC_ALL, c.lang) == nullptr) continue;
        std::setlocale(LC_ALL, "C");
        const brimlet_test::ScopedEnv language("LANG", c.lang);
        const brimlet_test::ScopedEnv catalogs("BRIMLET_LOCALEDIR", c.folder);
        // The same language again in another folder: gettext reads the new binding.
        useUserLanguage();
        EXPECT_EQ(catalogFolder(), c.folder);
        EXPECT_EQ(localizedFormat(c.key), c.expected);
        EXPECT_EQ(localizedPlural("%@ file", "%@ files", c.count), c.plural);
        EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
        char number[16];
        std::snprintf(number, sizeof number, "%.1f", 353.9);
        EXPECT_STREQ(number, "353.9");
        std::setlocale(LC_ALL, "C");
    }
}

}  // namespace
}  // namespace foundation
