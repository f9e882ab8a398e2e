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
// broken catalog and the C locale. Every case keeps numbers in "C" and ends back in "C".
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

    const std::tuple<const char*, const char*, std::string, const char*, const char*> cases[] = {
        {"German from the built catalog", "de_DE.UTF-8", built, "%@ free", "%@ frei"},
        {"French", "fr_FR.UTF-8", built, "Disk Space", "Espace disque"},
        {"a key no catalog holds stays", "de_DE.UTF-8", built, "Not a key", "Not a key"},
        {"the empty key is no catalog header", "de_DE.UTF-8", built, "", ""},
        {"missing catalog folder: English", "de_DE.UTF-8", scratch / "missing", "%@ free",
         "%@ free"},
        {"broken catalog: English", "de_DE.UTF-8", scratch / "broken", "%@ free", "%@ free"},
        {"C locale: English", "C", built, "%@ free", "%@ free"},
    };
    const brimlet_test::ScopedEnv noAll("LC_ALL", std::nullopt);
    const brimlet_test::ScopedEnv noMessages("LC_MESSAGES", std::nullopt);
    const brimlet_test::ScopedEnv noLanguage("LANGUAGE", std::nullopt);
    for (const auto& [what, lang, folder, key, expected] : cases) {
        SCOPED_TRACE(what);
        if (std::string(lang) == "fr_FR.UTF-8" && std::setlocale(LC_ALL, lang) == nullptr) continue;
        std::setlocale(LC_ALL, "C");
        const brimlet_test::ScopedEnv language("LANG", lang);
        const brimlet_test::ScopedEnv catalogs("BRIMLET_LOCALEDIR", folder);
        // The same language again in another folder: gettext reads the new binding.
        useUserLanguage();
        EXPECT_EQ(catalogFolder(), folder);
        EXPECT_EQ(localizedFormat(key), expected);
        EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
        char number[16];
        std::snprintf(number, sizeof number, "%.1f", 353.9);
        EXPECT_STREQ(number, "353.9");
        std::setlocale(LC_ALL, "C");
    }
}

// Plural forms by the catalog's own rule, and by the English one wherever no catalog answers.
TEST(LocalizedPlural, ChoosesTheCatalogsFormForTheCount) {
    const std::string built = BRIMLET_TEST_LOCALEDIR;
    const bool german = std::filesystem::exists(built + "/de/LC_MESSAGES/brimlet.mo") &&
                        std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    std::setlocale(LC_ALL, "C");
    const std::tuple<const char*, std::string, std::uint64_t, const char*> cases[] = {
        {"C", built, 1, "%@ file"},
        {"C", built, 0, "%@ files"},
        {"C", built, ~std::uint64_t{0}, "%@ files"},
        {"de_DE.UTF-8", built, 1, "%@ Datei"},
        {"de_DE.UTF-8", built, 0, "%@ Dateien"},
        {"de_DE.UTF-8", built + "/missing", 1, "%@ file"},
    };
    const brimlet_test::ScopedEnv noAll("LC_ALL", std::nullopt);
    const brimlet_test::ScopedEnv noMessages("LC_MESSAGES", std::nullopt);
    const brimlet_test::ScopedEnv noLanguage("LANGUAGE", std::nullopt);
    for (const auto& [lang, folder, count, expected] : cases) {
        SCOPED_TRACE(std::string(lang) + " " + folder + " " + std::to_string(count));
        if (!german && std::string(lang) != "C") continue;
        const brimlet_test::ScopedEnv language("LANG", lang);
        const brimlet_test::ScopedEnv catalogs("BRIMLET_LOCALEDIR", folder);
        useUserLanguage();
        EXPECT_EQ(localizedPlural("%@ file", "%@ files", count), expected);
        std::setlocale(LC_ALL, "C");
    }
}

}  // namespace
}  // namespace foundation
