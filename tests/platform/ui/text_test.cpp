// Localisable text composition, line breaking, shrinking and truncation, with the fixed-advance
// measurer: 6 points a character at size 10, lines 1.3 x size.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/foundation/unicode.h"
#include "platform/ui/detail/text_layout.h"
#include "platform/ui/testing/fixed_measurer.h"
#include "platform/ui/testing/layout_queries.h"
#include "tests/platform/ui/layout_fixture.h"

namespace ui {
namespace {

using testing::findNode;

TEST(Text, ComposesItsArgumentsAndVerbatimTextStaysAsWritten) {
    const LaidOutNode root = test::lay(Text("%lld%%", {std::int64_t{7}}), {});
    EXPECT_EQ(std::get<LaidOutText>(root.content).composed, "7%");
    const LaidOutNode verbatim = test::lay(Text::verbatim("%lld%%"), {});
    EXPECT_EQ(std::get<LaidOutText>(verbatim.content).composed, "%lld%%");
}

struct WrapCase {
    std::string name;
    std::string text;
    std::optional<int> lineLimit;
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
    const std::vector<WrapCase> cases = {
        {"ideal width is one line", "one two three", {}, tail, 1, {}, {"one two three"}, false,
         1, {78, 13}},
        {"paragraphs keep their lines at the ideal width", "ab\ncd", {}, tail, 1, {},
         {"ab", "cd"}, false, 1, {12, 26}},
        {"wraps at word boundaries", "one two three", {}, tail, 1, {50.0, {}},
         {"one two", "three"}, false, 1, {42, 26}},
        {"a word wider than the line breaks between characters", "abcdefghij", {}, tail, 1,
         {30.0, {}}, {"abcde", "fghij"}, false, 1, {30, 26}},
        {"fits exactly", "abcde", 1, tail, 1, {30.0, {}}, {"abcde"}, false, 1, {30, 13}},
        {"tail truncation", "abcdefghijklmnop", 1, tail, 1, {60.0, {}}, {"abcdefghi…"}, true, 1,
         {60, 13}},
        {"middle truncation keeps both ends", "abcdefghijklmnop", 1, middle, 1, {60.0, {}},
         {"abcde…mnop"}, true, 1, {60, 13}},
        {"head truncation", "abcdefghijklmnop", 1, head, 1, {60.0, {}}, {"…hijklmnop"}, true, 1,
         {60, 13}},
        {"line limit truncates the last allowed line", "a b c d e f", 2, tail, 1, {18.0, {}},
         {"a b", "c…"}, true, 1, {18, 26}},
        {"the height allows whole lines only", "one two three", {}, tail, 1, {50.0, 25.0},
         {"one two…"}, true, 1, {48, 13}},
        {"scales down to exactly 0.8", "ABCDEFGHIJ", 1, tail, 0.8, {48.0, {}}, {"ABCDEFGHIJ"},
         false, 0.8, {48, 10.4}},
        {"scales to the largest percent that fits", "ABCDEFGHIJ", 1, tail, 0.8, {54.0, {}},
         {"ABCDEFGHIJ"}, false, 0.9, {54, 11.7}},
        {"truncates after shrinking to the minimum", "ABCDEFGHIJ", 1, tail, 0.8, {47.0, {}},
         {"ABCDEFGH…"}, true, 0.8, {43.2, 10.4}},
        {"middle truncation after shrinking", "abcdefghijklmnop", 1, middle, 0.8, {48.0, {}},
         {"abcde…mnop"}, true, 0.8, {48, 10.4}},
        {"at width zero a single ellipsis", "ABCDEFGHIJ", 1, tail, 1, {0.0, {}}, {"…"}, true, 1,
         {6, 13}},
        {"empty text is one empty line", "", {}, tail, 1, {100.0, {}}, {""}, false, 1, {0, 13}},
        {"spaces at a line break are dropped", "ab   cd", {}, tail, 1, {20.0, {}}, {"ab", "cd"},
         false, 1, {12, 26}},
    };
    for (const WrapCase& c : cases) {
        SCOPED_TRACE(c.name);
        detail::TextParameters p;
        p.font = Font::caption;
        p.lineLimit = c.lineLimit;
        p.truncation = c.mode;
        p.minimumScaleFactor = c.minimumScale;
        const detail::TextLines out = detail::layoutText(c.text, p, c.proposal,
                                                         test::fixedMeasurer());
        EXPECT_EQ(out.lines, c.lines);
        EXPECT_EQ(out.truncated, c.truncated);
        EXPECT_NEAR(out.scale, c.scale, 1e-9);
        EXPECT_NEAR(out.size.width, c.size.width, 1e-6);
        EXPECT_NEAR(out.size.height, c.size.height, 1e-6);
    }
}

TEST(TextLayout, ModifiersReachTheTextThroughTheEnvironment) {
    const View name = Text::verbatim("abcdefghijklmnop")
                          .font(Font::caption)
                          .lineLimit(1)
                          .truncationMode(TruncationMode::middle)
                          .minimumScaleFactor(0.8)
                          .frame(48, std::nullopt, Alignment::leading);
    const LaidOutNode root = test::lay(name, {});
    const LaidOutNode* text = findNode(root, "Text");
    ASSERT_NE(text, nullptr);
    const auto& t = std::get<LaidOutText>(text->content);
    EXPECT_EQ(t.composed, "abcdefghijklmnop");
    EXPECT_EQ(t.lines, std::vector<std::string>{"abcde…mnop"});
    EXPECT_TRUE(t.truncated);
    EXPECT_DOUBLE_EQ(t.scale, 0.8);
    test::expectFrame(text->frame, {0, 0, 48, 10.4});
}

// Names whose characters span several code points. The fixed measurer gives 6 points a code
// point, so a width counts code points, not characters.
const std::string kResumes = "Re\u0301sume\u0301s";                              // accents
const std::string kHindi = "\u0939\u093F\u0928\u094D\u0926\u0940 \u0932\u0915\u094D\u0937\u094D"
                           "\u092E\u0940";                                       // हिन्दी लक्ष्मी
const std::string kLakshmi = "\u0932\u0915\u094D\u0937\u094D\u092E\u0940";       // ल + क्ष्मी
const std::string kFamily = "\U0001F469\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466";
const std::string kCoder = "\U0001F468\u200D\U0001F4BB";
const std::string kFlags = "\U0001F1EF\U0001F1F5\U0001F1E9\U0001F1EA\U0001F1EB\U0001F1F7";
const std::string kFlagJp = "\U0001F1EF\U0001F1F5";
const std::string kFlagDe = "\U0001F1E9\U0001F1EA";
const std::string kFlagFr = "\U0001F1EB\U0001F1F7";
const std::string kHangul = "\uD55C\uAD6D\uC5B4 \uD3F4\uB354";                   // 한국어 폴더
const std::string kJamoHan = "\u1112\u1161\u11AB";                               // 한, 3 jamo
const std::string kJamoGeul = "\u1100\u1173\u11AF";                              // 글, 3 jamo
const std::string kEllipsis = "\u2026";

std::size_t codePoints(const std::string& s) {
    return static_cast<std::size_t>(testing::FixedMeasurer::characters(s));
}

TEST(TextLayout, TruncationCutsOnlyBetweenUserPerceivedCharacters) {
    const std::string jamo = kJamoHan + kJamoGeul + kJamoHan + kJamoGeul;
    const std::vector<std::string> names = {
        kResumes, kHindi, kLakshmi + kLakshmi + kLakshmi, kFamily + " and " + kCoder,
        kFamily + kCoder + kFamily, kFlags, kHangul, jamo,
        "a \u0301b \u0301c",  // spaces carrying a mark are characters, not spaces to drop
    };
    for (const std::string& name : names) {
        const std::vector<std::size_t> b = foundation::graphemeClusterBoundaries(name);
        auto isBoundary = [&](std::size_t offset) {
            return std::binary_search(b.begin(), b.end(), offset);
        };
        const double whole = 6.0 * static_cast<double>(codePoints(name));
        for (const auto mode : {TruncationMode::head, TruncationMode::middle, TruncationMode::tail}) {
            for (double width = 0; width <= whole; width += 3) {
                SCOPED_TRACE(name + " mode " + std::to_string(static_cast<int>(mode)) + " width " +
                             std::to_string(width));
                const std::string cut = detail::truncateText(name, width, mode, Font::caption, 0,
                                                             test::fixedMeasurer());
                if (whole <= width) {
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
                EXPECT_TRUE(cut == kEllipsis || 6.0 * static_cast<double>(codePoints(cut)) <= width)
                    << cut;
            }
        }
    }

    struct Known {
        const char* what;
        std::string name;
        TruncationMode mode;
        double width;
        std::string expected;
    };
    const std::vector<Known> known = {
        {"accents stay on their letters", kResumes, TruncationMode::tail, 30,
         "Re\u0301s" + kEllipsis},
        {"flags stay whole", kFlags, TruncationMode::tail, 24, kFlagJp + kEllipsis},
        {"conjunct with its vowel sign stays whole, no dangling virama", kHindi,
         TruncationMode::middle, 60,
         "\u0939\u093F" + kEllipsis + "\u0915\u094D\u0937\u094D\u092E\u0940"},
        {"emoji sequences stay whole, spaces at the cut go", kFamily + " and " + kCoder,
         TruncationMode::middle, 66, kFamily + kEllipsis + kCoder},
        {"conjoining jamo stay one syllable", jamo, TruncationMode::head, 48,
         kEllipsis + kJamoHan + kJamoGeul},
    };
    for (const Known& k : known) {
        SCOPED_TRACE(k.what);
        EXPECT_EQ(detail::truncateText(k.name, k.width, k.mode, Font::caption, 0,
                                       test::fixedMeasurer()),
                  k.expected);
    }
}

TEST(TextLayout, WrapsAtLineBreaksThenBetweenCharacters) {
    struct Case {
        const char* what;
        std::string text;
        double width;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"at a space rather than inside a word", kResumes + " " + kFamily, 60,
         {kResumes, kFamily}},
        {"at the space between Devanagari words", kHindi, 42,
         {"\u0939\u093F\u0928\u094D\u0926\u0940", kLakshmi}},
        {"a word with no break keeps its conjunct whole", kLakshmi, 36,
         {"\u0932", "\u0915\u094D\u0937\u094D\u092E\u0940"}},
        {"between flags, never between their halves", kFlags, 18, {kFlagJp, kFlagDe, kFlagFr}},
        {"Korean at the space, not between syllables", kHangul, 30,
         {"\uD55C\uAD6D\uC5B4", "\uD3F4\uB354"}},
        {"a Korean word wider than the line keeps its jamo together",
         kJamoHan + kJamoGeul + kJamoHan + kJamoGeul, 24,
         {kJamoHan, kJamoGeul, kJamoHan, kJamoGeul}},
        {"never between a space and its mark", "ab \u0301cd", 24, {"ab \u0301", "cd"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        detail::TextParameters p;
        p.font = Font::caption;
        const detail::TextLines out = detail::layoutText(c.text, p, {c.width, {}},
                                                         test::fixedMeasurer());
        EXPECT_EQ(out.lines, c.lines);
        EXPECT_FALSE(out.truncated);
    }
}

TEST(TextLayout, TrackingWidensTheText) {
    const LaidOutNode plain = test::lay(Text::verbatim("ABCD").font(Font::caption), {});
    const LaidOutNode tracked = test::lay(Text::verbatim("ABCD").font(Font::caption).tracking(0.5), {});
    EXPECT_DOUBLE_EQ(plain.frame.width, 24);
    EXPECT_DOUBLE_EQ(tracked.frame.width, 26);
}

TEST(TextLayout, MonospacedDigitMarksTheFont) {
    const LaidOutNode root = test::lay(Text::verbatim("12").font(Font::caption2).monospacedDigit(), {});
    const auto& t = std::get<LaidOutText>(root.content);
    EXPECT_TRUE(t.font.monospacedDigits);
    EXPECT_EQ(t.font.fontWeight, Font::Weight::medium);
}

}  // namespace
}  // namespace ui
