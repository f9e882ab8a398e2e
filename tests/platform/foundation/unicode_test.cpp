#include "platform/foundation/unicode.h"

#include "platform/foundation/escape.h"

#include <gtest/gtest.h>
#include <unicode/locid.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/support/hostile_names.h"

namespace foundation {
namespace {

using namespace std::string_literals;

// "é" precomposed (U+00E9) and decomposed (e + U+0301).
const std::string kPrecomposed = "caf\xC3\xA9";
const std::string kDecomposed = "cafe\xCC\x81";
constexpr const char* kLigature = "\xEF\xAC\x81";  // "ﬁ", compatibility equivalent to "fi" only

// Every character a terminal acts on, or that reorders or breaks a line, comes out as a visible
// escape that names it exactly; everything else, non-Latin text and emoji included, is kept. The
// escapes are unambiguous: a backslash is doubled, a stray byte is \xNN, a code point \uXXXX.
TEST(EscapeForTerminal, HostileNamesComeOutVisibleOnOneLineAndTheRestAsItIs) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80",
         "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80"},
        {brimlet_test::kHostileName, brimlet_test::kHostileNameEscaped},
        {"a\\b", "a\\\\b"},
        {"\0\x01\x1f"s, "\\x00\\x01\\x1F"},
        {"\t\x7f", "\\t\\x7F"},
        {"\xc2\x80\xc2\x85\xc2\x9f\xc2\xa0", "\\u0080\\u0085\\u009F\xc2\xa0"},
        {"bidi\xe2\x80\xaegnp.exe", "bidi\\u202Egnp.exe"},
        {"\xd8\x9c\xe2\x80\x8e\xe2\x80\x8f\xe2\x80\xaa\xe2\x81\xa9\xe2\x80\xa8",
         "\\u061C\\u200E\\u200F\\u202A\\u2069\\u2028"},
        {"\xe2\x80\x8d\xe2\x81\xa0", "\xe2\x80\x8d\xe2\x81\xa0"},  // ZWJ, word joiner kept
        {"\xc0\xaf", "\\xC0\\xAF"},                                // overlong "/"
        {"\xed\xa0\x80", "\\xED\\xA0\\x80"},                       // a surrogate
        {"\xf4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},              // above U+10FFFF
        {"\xe2\x80\x1b", "\\xE2\\x80\\e"},
    };
    for (const auto& [raw, expected] : cases) {
        SCOPED_TRACE(::testing::PrintToString(raw));
        const std::string escaped = escapeForTerminal(raw);
        EXPECT_EQ(escaped, expected);
        EXPECT_TRUE(brimlet_test::inert(escaped));
    }
}

TEST(UnicodeNfc, ComposesCanonicallyOnlyAndLeavesInvalidTextAlone) {
    const std::pair<std::string, std::string> cases[] = {
        {kDecomposed, kPrecomposed},
        {"a\xCC\x81\xCC\xA3", "\xE1\xBA\xA1\xCC\x81"},  // a + acute + dot below: marks reordered
        {kLigature, kLigature},
        {"e\0e\xCC\x81"s, "e\0\xC3\xA9"s},
        {"e\xCC\x81\xFF", "e\xCC\x81\xFF"},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(::testing::PrintToString(text));
        EXPECT_EQ(nfc(text), expected);
    }
}

TEST(UnicodeEquality, CanonicalEquivalenceOnlyInComparisonAndHashing) {
    const std::tuple<std::string, std::string, bool> cases[] = {
        {kPrecomposed, kDecomposed, true},
        {"Work", "work", false},
        {kLigature, "fi", false},
        {"a\0b"s, "a", false},
        // Invalid UTF-8 equals only itself.
        {"\xFF", "\xFF", true},
        {"\xFF", "\xFE", false},
        {"\xFF", "\xEF\xBF\xBD", false},
    };
    for (const auto& [a, b, equal] : cases) {
        SCOPED_TRACE(::testing::PrintToString(a) + " and " + ::testing::PrintToString(b));
        EXPECT_EQ(canonicallyEquivalent(a, b), equal);
        EXPECT_EQ(CanonicalEqual{}(b, a), equal);
        EXPECT_TRUE(!equal || CanonicalHash{}(a) == CanonicalHash{}(b));
    }
}

TEST(UnicodeUppercase, FullCaseMappingOfTheRootLocaleWhateverTheDefault) {
    const std::pair<std::string, std::string> cases[] = {
        {"stra\u00DFe", "STRASSE"},
        {kDecomposed, "CAFE\xCC\x81"},
        {kLigature, "FI"},
        {"\xCF\x82", "\xCE\xA3"},  // final sigma
        {"a\0b"s, "A\0B"s},
        {"a\xFF", "a\xFF"},
        {"istanbul \xC3\xA7", "ISTANBUL \xC3\x87"},  // Turkish would give U+0130 for "i"
    };
    const icu::Locale previous = icu::Locale::getDefault();
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale("tr", "TR"), status);
    ASSERT_TRUE(U_SUCCESS(status));
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(::testing::PrintToString(text));
        EXPECT_EQ(uppercased(text), expected);
    }
    icu::Locale::setDefault(previous, status);
}

TEST(UnicodeSegmentation, CharactersAndLineBreaksAsByteOffsetsNeverInsideACharacter) {
    using Offsets = std::vector<std::size_t>;
    const std::tuple<const char*, std::string, Offsets, Offsets> cases[] = {
        {"empty", "", {0}, {0}},
        {"spaces stay before the break", "one two", {0, 1, 2, 3, 4, 5, 6, 7}, {0, 4, 7}},
        {"combining mark stays on its letter", "Re\u0301s", {0, 1, 4, 5}, {0, 5}},
        // Korean breaks between words only.
        {"Korean", "\uD55C\uAD6D \uD3F4\uB354", {0, 3, 6, 7, 10, 13}, {0, 7, 13}},
        // The line rules alone would break between the space and its mark.
        {"no line break inside a character", "a \u0301b", {0, 1, 4, 5}, {0, 5}},
        {"invalid byte is a character of its own", "a\xFF"s + "b", {0, 1, 2, 3}, {0, 3}},
        {"mark after an invalid byte stays with it", "\xFF\u0301", {0, 3}, {0, 3}},
        {"lead byte cut short before ASCII", "\xF0\x9F\x91"s + "a", {0, 3, 4}, {0, 4}},
    };
    for (const auto& [what, text, characters, lineBreaks] : cases) {
        SCOPED_TRACE(what);
        EXPECT_EQ(graphemeClusterBoundaries(text), characters);
        EXPECT_EQ(lineBreakBoundaries(text), lineBreaks);
    }
}

}  // namespace
}  // namespace foundation
