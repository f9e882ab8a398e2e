#include "platform/foundation/unicode.h"

#include <gtest/gtest.h>
#include <unicode/locid.h>

#include <string>
#include <unordered_set>
#include <vector>

namespace foundation {
namespace {

// "é" precomposed (U+00E9) and decomposed (e + U+0301).
const std::string kPrecomposed = "caf\xC3\xA9";
const std::string kDecomposed = "cafe\xCC\x81";

TEST(UnicodeNfc, ComposesAndLeavesOtherTextAlone) {
    struct Case {
        const char* what;
        std::string text;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"ASCII", "Downloads", "Downloads"},
        {"empty", "", ""},
        {"already composed", kPrecomposed, kPrecomposed},
        {"decomposed", kDecomposed, kPrecomposed},
        {"Hangul jamo", "\xE1\x84\x80\xE1\x85\xA1", "\xEA\xB0\x80"},
        {"reordered marks", "a\xCC\x81\xCC\xA3", "\xE1\xBA\xA1\xCC\x81"},  // a + acute + dot below
        {"compatibility forms stay (no NFKC)", "\xEF\xAC\x81", "\xEF\xAC\x81"},  // "ﬁ" ligature
        {"embedded NUL kept", std::string("e\0e\xCC\x81", 5), std::string("e\0\xC3\xA9", 4)},
        {"invalid UTF-8 unchanged", "e\xCC\x81\xFF", "e\xCC\x81\xFF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(nfc(c.text), c.expected);
    }
}

TEST(UnicodeEquality, CanonicalEquivalenceOnly) {
    struct Case {
        const char* what;
        std::string a;
        std::string b;
        bool equal;
    };
    const std::vector<Case> cases = {
        {"identical", "work", "work", true},
        {"precomposed and decomposed", kPrecomposed, kDecomposed, true},
        {"decomposed and precomposed", kDecomposed, kPrecomposed, true},
        {"both decomposed", kDecomposed, kDecomposed, true},
        {"case differs", "Work", "work", false},
        {"accent case differs", "CAF\xC3\x89", kPrecomposed, false},
        {"trailing space", "work ", "work", false},
        {"compatibility equivalent only", "\xEF\xAC\x81", "fi", false},
        {"prefix up to a NUL", std::string("a\0b", 3), "a", false},
        {"empty and empty", "", "", true},
        {"empty and combining mark", "", "\xCC\x81", false},
        {"invalid UTF-8 equals only itself", "\xFF", "\xFF", true},
        {"distinct invalid UTF-8", "\xFF", "\xFE", false},
        {"invalid vs its replacement", "\xFF", "\xEF\xBF\xBD", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(canonicallyEquivalent(c.a, c.b), c.equal);
        EXPECT_EQ(CanonicalEqual{}(c.b, c.a), c.equal);
        if (c.equal) {
            EXPECT_EQ(CanonicalHash{}(c.a), CanonicalHash{}(c.b));
        }
    }
}

TEST(UnicodeEquality, HashSetFindsEquivalentSpellings) {
    std::unordered_set<std::string, CanonicalHash, CanonicalEqual> names = {kDecomposed, "work",
                                                                            std::string("a\0b", 3)};
    EXPECT_EQ(names.size(), 3U);
    EXPECT_TRUE(names.contains(kPrecomposed));
    EXPECT_TRUE(names.contains(std::string_view(kDecomposed)));
    EXPECT_TRUE(names.contains(std::string("a\0b", 3)));
    EXPECT_FALSE(names.contains("a"));
    EXPECT_FALSE(names.contains("Work"));
    EXPECT_FALSE(names.insert(kPrecomposed).second);  // the same text, spelled otherwise
}

TEST(UnicodeUppercase, RootLocaleFullCaseMapping) {
    struct Case {
        const char* what;
        std::string text;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"ASCII", "By kind", "BY KIND"},
        {"empty", "", ""},
        {"sharp s expands", "stra\xC3\x9F" "e", "STRASSE"},
        {"accented", kPrecomposed, "CAF\xC3\x89"},
        {"decomposed keeps its mark", kDecomposed, "CAFE\xCC\x81"},
        {"dotted i stays plain", "i", "I"},
        {"ligature expands", "\xEF\xAC\x81", "FI"},
        {"Greek final sigma", "\xCF\x82", "\xCE\xA3"},
        {"digits and symbols", "code & dev 42", "CODE & DEV 42"},
        {"embedded NUL kept", std::string("a\0b", 3), std::string("A\0B", 3)},
        {"invalid UTF-8 unchanged", "a\xFF", "a\xFF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(uppercased(c.text), c.expected);
    }
}

TEST(UnicodeUppercase, IgnoresTheDefaultLocale) {
    const icu::Locale previous = icu::Locale::getDefault();
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale("tr", "TR"), status);
    ASSERT_TRUE(U_SUCCESS(status));
    // Turkish would give U+0130 (İ) for "i" and "I" is plain.
    EXPECT_EQ(uppercased("istanbul \xC3\xA7"), "ISTANBUL \xC3\x87");
    icu::Locale::setDefault(previous, status);
}

TEST(UnicodeSegmentation, CharactersAndLineBreaksAsByteOffsets) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::size_t> characters;
        std::vector<std::size_t> lineBreaks;
    };
    const std::vector<Case> cases = {
        {"empty", "", {0}, {0}},
        {"spaces stay before the break", "one two", {0, 1, 2, 3, 4, 5, 6, 7}, {0, 4, 7}},
        {"break after a hyphen", "a-b c", {0, 1, 2, 3, 4, 5}, {0, 2, 4, 5}},
        {"break after a hard line break", "ab\ncd", {0, 1, 2, 3, 4, 5}, {0, 3, 5}},
        {"combining mark stays on its letter", "Re\u0301s", {0, 1, 4, 5}, {0, 5}},
        {"Devanagari conjunct with its vowel sign is one character",
         "\u0932\u0915\u094D\u0937\u094D\u092E\u0940", {0, 3, 21}, {0, 21}},
        {"emoji joined by ZWJ", "\U0001F469\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466",
         {0, 25}, {0, 25}},
        {"flags pair their regional indicators", "\U0001F1EF\U0001F1F5\U0001F1E9\U0001F1EA",
         {0, 8, 16}, {0, 8, 16}},
        {"Korean breaks between words only", "\uD55C\uAD6D \uD3F4\uB354",
         {0, 3, 6, 7, 10, 13}, {0, 7, 13}},
        {"Hangul conjoining jamo", "\u1112\u1161\u11AB\u1100\u1173\u11AF", {0, 9, 18},
         {0, 18}},
        // The line rules alone would break between the space and its mark.
        {"no line break inside a character", "a \u0301b", {0, 1, 4, 5}, {0, 5}},
        {"invalid byte is a character of its own", "a\xFF" "b", {0, 1, 2, 3}, {0, 3}},
        {"truncated sequence at the end", "\u0915\xE0\xA4", {0, 3, 5}, {0, 5}},
        {"mark after an invalid byte stays with it", "\xFF\u0301", {0, 3}, {0, 3}},
        {"lead byte cut short before ASCII", "\xF0\x9F\x91" "a", {0, 3, 4}, {0, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(graphemeClusterBoundaries(c.text), c.characters);
        EXPECT_EQ(lineBreakBoundaries(c.text), c.lineBreaks);
    }
}

}  // namespace
}  // namespace foundation
