// Localisable text composition, line breaking, shrinking and truncation, with the fixed-advance
// measurer: 6 points a character at size 10, lines 1.3 x size.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/unicode.h"
#include "platform/ui/detail/text_layout.h"
#include "platform/ui/testing/fixed_measurer.h"
#include "platform/ui/testing/layout_queries.h"
#include "tests/platform/ui/layout_fixture.h"

namespace ui {
namespace {

using testing::findNode;

// A verbatim text is never a format; it and every string argument are names from data, composed
// as they are drawn: no bidirectional formatting, controls as symbols, so a newline in a name
// starts no line, and a right-to-left argument isolated from the text around it.
TEST(Text, ComposesItsArgumentsAndDrawsNamesFromDataSafely) {
    const std::string hebrew = "\u05E9\u05DC";
    const std::pair<Text, std::vector<std::string>> cases[] = {
        {Text("%lld%%", {std::int64_t{7}}), {"7%"}},
        {Text::verbatim("%lld%%"), {"%lld%%"}},
        {Text::verbatim("bidi\u202Egnp.exe"), {"bidignp.exe"}},
        {Text::verbatim("two\nlines\x7F"), {"two\u240Alines\u2421"}},
        {Text("%@ free", {"12 GB"}), {"12 GB free"}},
        {Text("%@ free", {"a\u2066b\nc"}), {"ab\u240Ac free"}},
        {Text("%@ free", {hebrew}), {"\u2068" + hebrew + "\u2069 free"}},
        {Text("%@\n%@", {"a", "b"}), {"a", "b"}},  // the program's own newline starts a line
    };
    for (const auto& [text, lines] : cases) {
        const LaidOutNode root = test::lay(text, {});
        const auto& laid = std::get<LaidOutText>(root.content);
        SCOPED_TRACE(laid.composed);
        EXPECT_EQ(laid.lines, lines);
    }
}

// Each row: text, line limit (0 for none), truncation, minimum scale factor, proposal; then the
// lines, whether it was cut, the scale and the size it takes.
struct WrapCase {
    std::string text;
    int lineLimit;
    TruncationMode mode;
    double minimumScale;
    ProposedSize proposal;
    std::vector<std::string> lines;
    bool truncated;
    double scale;
    Size size;
};

TEST(TextLayout, WrapsShrinksAndTruncates) {
    const auto tail = TruncationMode::tail;
    const auto middle = TruncationMode::middle;
    const auto head = TruncationMode::head;
    const std::optional<double> any;
    const std::vector<WrapCase> cases = {
        // At the ideal width: one line, or one line a paragraph.
        {"one two three", 0, tail, 1, {}, {"one two three"}, false, 1, {78, 13}},
        {"ab\ncd", 0, tail, 1, {}, {"ab", "cd"}, false, 1, {12, 26}},
        // Wraps at word boundaries; a word wider than the line breaks between characters.
        {"one two three", 0, tail, 1, {50.0, any}, {"one two", "three"}, false, 1, {42, 26}},
        {"abcdefghij", 0, tail, 1, {30.0, any}, {"abcde", "fghij"}, false, 1, {30, 26}},
        {"abcde", 1, tail, 1, {30.0, any}, {"abcde"}, false, 1, {30, 13}},
        // Tail, middle and head truncation.
        {"abcdefghijklmnop", 1, tail, 1, {60.0, any}, {"abcdefghi…"}, true, 1, {60, 13}},
        {"abcdefghijklmnop", 1, middle, 1, {60.0, any}, {"abcde…mnop"}, true, 1, {60, 13}},
        {"abcdefghijklmnop", 1, head, 1, {60.0, any}, {"…hijklmnop"}, true, 1, {60, 13}},
        // A line limit cuts the last allowed line; a height allows whole lines only.
        {"a b c d e f", 2, tail, 1, {18.0, any}, {"a b", "c…"}, true, 1, {18, 26}},
        {"one two three", 0, tail, 1, {50.0, 25.0}, {"one two…"}, true, 1, {48, 13}},
        // Shrinks to exactly the minimum, to the largest percent that fits, then truncates.
        {"ABCDEFGHIJ", 1, tail, 0.8, {48.0, any}, {"ABCDEFGHIJ"}, false, 0.8, {48, 10.4}},
        {"ABCDEFGHIJ", 1, tail, 0.8, {54.0, any}, {"ABCDEFGHIJ"}, false, 0.9, {54, 11.7}},
        {"ABCDEFGHIJ", 1, tail, 0.8, {47.0, any}, {"ABCDEFGH…"}, true, 0.8, {43.2, 10.4}},
        // At width zero a single ellipsis; empty text is one empty line.
        {"ABCDEFGHIJ", 1, tail, 1, {0.0, any}, {"…"}, true, 1, {6, 13}},
        {"", 0, tail, 1, {100.0, any}, {""}, false, 1, {0, 13}},
        // Spaces at a line break are dropped.
        {"ab   cd", 0, tail, 1, {20.0, any}, {"ab", "cd"}, false, 1, {12, 26}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const WrapCase& c = cases[i];
        SCOPED_TRACE("row " + std::to_string(i) + ": " + c.text);
        const detail::TextParameters p{
            .font = Font::caption,
            .lineLimit = c.lineLimit > 0 ? std::optional<int>(c.lineLimit) : std::nullopt,
            .truncation = c.mode,
            .minimumScaleFactor = c.minimumScale};
        const auto out = detail::layoutText(c.text, p, c.proposal, test::fixedMeasurer());
        EXPECT_EQ(out.lines, c.lines);
        EXPECT_EQ(out.truncated, c.truncated);
        EXPECT_NEAR(out.scale, c.scale, 1e-9);
        EXPECT_TRUE(std::abs(out.size.width - c.size.width) < 1e-6 &&
                    std::abs(out.size.height - c.size.height) < 1e-6);
    }
}

// Names whose characters span several code points. The fixed measurer gives 6 points a code
// point, so a width counts code points, not characters.
const std::string kResumes = "Re\u0301sume\u0301s";  // accents
const std::string kHindi =
    "\u0939\u093F\u0928\u094D\u0926\u0940 \u0932\u0915\u094D\u0937\u094D"
    "\u092E\u0940";  // हिन्दी लक्ष्मी
const std::string kLakshmi = "\u0932\u0915\u094D\u0937\u094D\u092E\u0940";  // ल + क्ष्मी
const std::string kFamily = "\U0001F469\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466";
const std::string kCoder = "\U0001F468\u200D\U0001F4BB";
const std::string kFlags = "\U0001F1EF\U0001F1F5\U0001F1E9\U0001F1EA\U0001F1EB\U0001F1F7";
const std::string kFlagJp = "\U0001F1EF\U0001F1F5";
const std::string kFlagDe = "\U0001F1E9\U0001F1EA";
const std::string kFlagFr = "\U0001F1EB\U0001F1F7";
const std::string kHangul = "\uD55C\uAD6D\uC5B4 \uD3F4\uB354";  // 한국어 폴더
const std::string kJamoHan = "\u1112\u1161\u11AB";              // 한, 3 jamo
const std::string kJamoGeul = "\u1100\u1173\u11AF";             // 글, 3 jamo
const std::string kEllipsis = "\u2026";

double widthOf(const std::string& s) {
    return 6.0 * static_cast<double>(testing::FixedMeasurer::characters(s));
}

TEST(TextLayout, TruncationCutsOnlyBetweenUserPerceivedCharacters) {
    const std::string jamo = kJamoHan + kJamoGeul + kJamoHan + kJamoGeul;
    const std::vector<std::string> names = {
        kResumes,
        kHindi,
        kFamily + " and " + kCoder,
        kFlags,
        kHangul,
        jamo,
        "a \u0301b \u0301c",  // spaces carrying a mark are characters, not spaces to drop
    };
    for (const std::string& name : names) {
        const std::vector<std::size_t> b = foundation::graphemeClusterBoundaries(name);
        auto isBoundary = [&b](std::size_t i) { return std::binary_search(b.begin(), b.end(), i); };
        for (const auto mode :
             {TruncationMode::head, TruncationMode::middle, TruncationMode::tail}) {
            for (double width = 0; width <= widthOf(name); width += 3) {
                SCOPED_TRACE(name + " mode " + std::to_string(static_cast<int>(mode)) + " width " +
                             std::to_string(width));
                const std::string cut = detail::truncateText(name, width, mode, Font::caption, 0,
                                                             test::fixedMeasurer());
                if (widthOf(name) <= width) {
                    EXPECT_EQ(cut, name);
                    continue;
                }
                const auto at = cut.find(kEllipsis);
                ASSERT_NE(at, std::string::npos) << cut;
                const std::string head = cut.substr(0, at);
                const std::string tail = cut.substr(at + kEllipsis.size());
                EXPECT_TRUE(name.starts_with(head) && isBoundary(head.size())) << cut;
                EXPECT_TRUE(name.ends_with(tail) && isBoundary(name.size() - tail.size())) << cut;
                EXPECT_LE(head.size() + tail.size(), name.size());
                EXPECT_TRUE(mode != TruncationMode::tail || tail.empty()) << cut;
                EXPECT_TRUE(mode != TruncationMode::head || head.empty()) << cut;
                EXPECT_TRUE(cut == kEllipsis || widthOf(cut) <= width) << cut;
            }
        }
    }
}

TEST(TextLayout, CutsAndLineBreaksKeepEveryCharacterWhole) {
    // With a truncation mode, the one cut line; without, the lines the text wraps into.
    struct Case {
        std::string text;
        double width;
        std::optional<TruncationMode> cut;
        std::vector<std::string> lines;
    };
    const std::string jamo = kJamoHan + kJamoGeul + kJamoHan + kJamoGeul;
    const std::string hindiHead = "\u0939\u093F";  // हि
    const std::string hindiWord = hindiHead + "\u0928\u094D\u0926\u0940";
    const std::string ksha = "\u0915\u094D\u0937\u094D\u092E\u0940";  // क्ष्मी
    const auto middle = TruncationMode::middle;
    const Case cases[] = {
        // A conjunct stays with its vowel sign (no dangling virama), emoji sequences whole, jamo
        // one syllable; the spaces at the cut are dropped.
        {kHindi, 60, middle, {hindiHead + kEllipsis + ksha}},
        {kFamily + " and " + kCoder, 66, middle, {kFamily + kEllipsis + kCoder}},
        {jamo, 48, TruncationMode::head, {kEllipsis + kJamoHan + kJamoGeul}},
        {"abc def", 30, TruncationMode::head, {kEllipsis + "def"}},
        // Wraps at a space rather than inside a word, also between Devanagari and Korean words;
        // a word with no break keeps its conjunct, its flags and its jamo whole.
        {kResumes + " " + kFamily, 60, {}, {kResumes, kFamily}},
        {kHindi, 42, {}, {hindiWord, kLakshmi}},
        {kLakshmi, 36, {}, {"\u0932", ksha}},
        {kFlags, 18, {}, {kFlagJp, kFlagDe, kFlagFr}},
        {kHangul, 30, {}, {"\uD55C\uAD6D\uC5B4", "\uD3F4\uB354"}},
        {jamo, 24, {}, {kJamoHan, kJamoGeul, kJamoHan, kJamoGeul}},
        // Never wraps between a space and its mark.
        {"ab \u0301cd", 24, {}, {"ab \u0301", "cd"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " at " + std::to_string(c.width));
        const auto& m = test::fixedMeasurer();
        if (c.cut) {
            EXPECT_EQ(detail::truncateText(c.text, c.width, *c.cut, Font::caption, 0, m),
                      c.lines[0]);
            continue;
        }
        const auto out = detail::layoutText(c.text, {Font::caption, 0, {}}, {c.width, {}}, m);
        EXPECT_EQ(out.lines, c.lines);
        EXPECT_FALSE(out.truncated);
    }
}

}  // namespace
}  // namespace ui
