// Localisable text composition, line breaking, shrinking and truncation, with the fixed-advance
// measurer: 6 points a character at size 10, lines 1.3 x size.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/detail/text_layout.h"
#include "tests/platform/ui/layout_fixture.h"

namespace ui {
namespace {

struct FormatCase {
    std::string name;
    std::string format;
    std::vector<TextArgument> arguments;
    std::string expected;
};

TEST(FormatLocalized, SubstitutesByOwnCodeNeverPrintf) {
    const std::vector<FormatCase> cases = {
        {"string", "%@ free", {"353.9 GB"}, "353.9 GB free"},
        {"integer then literal percent", "%lld%%", {std::int64_t{62}}, "62%"},
        {"two strings in order", "%@ of %@ used", {"577.4 GB", "931.3 GB"},
         "577.4 GB of 931.3 GB used"},
        {"a value with format characters is shown as it is", "%@", {"%s%n"}, "%s%n"},
        {"a value with a percent sign before a specifier is never rescanned", "%@ and %@",
         {"%@", "x"}, "%@ and x"},
        {"doubled percent alone", "100%%", {}, "100%"},
        {"lone percent at the end stays", "50%", {}, "50%"},
        {"unknown specifier stays as written", "%q %@", {"a"}, "%q a"},
        {"missing argument keeps the specifier", "%@ and %@", {"one"}, "one and %@"},
        {"positional arguments", "%2$@ before %1$@", {"A", "B"}, "B before A"},
        {"negative int64", "%lld", {std::int64_t{-9223372036854775807LL - 1}},
         "-9223372036854775808"},
        {"unsigned", "%llu", {std::uint64_t{18446744073709551615ULL}}, "18446744073709551615"},
        {"fixed precision", "%.1f GB", {2.25}, "2.2 GB"},
        {"default precision", "%f", {0.5}, "0.500000"},
        {"d with an int", "%d items", {3}, "3 items"},
        {"string for an integer specifier is inserted as it is", "%lld", {"abc"}, "abc"},
        {"UTF-8 passes through", "%@ — %@", {"Données", "日本"}, "Données — 日本"},
        {"empty format", "", {"x"}, ""},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(formatLocalized(c.format, c.arguments), c.expected);
    }
}

TEST(FormatLocalized, KeysWithoutCatalogsReadAsComposed) {
    EXPECT_EQ(localizedFormat("Open Brimlet to scan"), "Open Brimlet to scan");
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

TEST(TextLayout, TruncationNeverSplitsACharacter) {
    // "é" as e + combining acute, six letters, and a family emoji joined by ZWJ: 8 characters.
    const std::string text = "e\xCC\x81" "abcdef" "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7";
    const std::vector<std::size_t> b = detail::characterBoundaries(text);
    ASSERT_EQ(b.size(), 9u);
    const std::string ellipsis = "\xE2\x80\xA6";
    for (const auto mode : {TruncationMode::head, TruncationMode::middle, TruncationMode::tail}) {
        for (double width = 0; width <= 72; width += 6) {
            SCOPED_TRACE("mode " + std::to_string(static_cast<int>(mode)) + " width " +
                         std::to_string(width));
            const std::string cut = detail::truncateText(text, width, mode, Font::caption, 0,
                                                         test::fixedMeasurer());
            if (cut == text) continue;
            const auto at = cut.find(ellipsis);
            ASSERT_NE(at, std::string::npos);
            const std::string headPart = cut.substr(0, at);
            const std::string tailPart = cut.substr(at + ellipsis.size());
            bool headWhole = false;
            bool tailWhole = false;
            for (const std::size_t offset : b) {
                headWhole = headWhole || text.substr(0, offset) == headPart;
                tailWhole = tailWhole || text.substr(offset) == tailPart;
            }
            EXPECT_TRUE(headWhole) << cut;
            EXPECT_TRUE(tailWhole) << cut;
        }
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
