#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "platform/foundation/json_reader.h"
#include "platform/foundation/json_writer.h"

namespace foundation {
namespace {

using namespace std::literals;
constexpr double kInf = std::numeric_limits<double>::infinity();

// `depth` arrays inside the top-level object.
std::string nested(std::size_t depth) {
    return "{\"k\":" + std::string(depth, '[') + std::string(depth, ']') + "}";
}

// The top-level object counts towards the depth limit, which objects and arrays share.
TEST(JsonDocumentParse, OneObjectWithNothingAroundAndWithinTheDepthLimit) {
    const std::tuple<const char*, std::string, bool> cases[] = {
        {"whitespace around", " \t\r\n{} \n", true},
        {"BOM before", "\xEF\xBB\xBF{}", true},
        {"BOM alone", "\xEF\xBB\xBF", false},
        {"half a BOM", "\xEF\xBB{}", false},
        {"array", "[]", false},
        {"NUL before", "\0{}"s, false},
        {"control character in a key", "{\"\x1F\":1}", false},
        {"integer beyond 64 bits anywhere", R"({"a":[1,36893488147419103232]})", false},
        {"at the limit", nested(kJsonMaxDepth - 1), true},
        {"past the limit", nested(kJsonMaxDepth), false},
    };
    for (const auto& [what, bytes, parses] : cases) {
        SCOPED_TRACE(what);
        EXPECT_EQ(JsonDocument::parse(bytes).has_value(), parses);
    }
}

TEST(JsonValue, Int64OnlyForWholeNumbersInTheSignedRangeAndEachAccessorOnlyForItsType) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    constexpr double kTwo63 = 9223372036854775808.0;
    using Int = std::optional<std::int64_t>;
    using Number = std::optional<double>;
    const std::tuple<const char*, Int, Number, std::optional<std::string>> cases[] = {
        {"-0.0", 0, -0.0, {}},
        {"2.5e1", 25, 25.0, {}},
        {"1e-400", 0, 0.0, {}},  // no error
        {"9223372036854775807", kMax, kTwo63, {}},
        {"-9223372036854775808", kMin, -kTwo63, {}},
        {"9223372036854775808", {}, kTwo63, {}},
        {"9.223372036854775808e18", {}, kTwo63, {}},  // read as a double, not as an integer
        {"9.2233720368547748e18", 9223372036854774784, 9223372036854774784.0, {}},  // below 2^63
        {"-1e19", {}, -1e19, {}},
        {"-0.5", {}, -0.5, {}},
        {"null", {}, {}, {}},
        {"[1]", {}, {}, {}},
        {"true", {}, {}, {}},
        {R"("0.6")", {}, {}, "0.6"},
        {R"("a\u0000b")", {}, {}, "a\0b"s},
        {R"("\"\\\/\b\f\n\r\t")", {}, {}, "\"\\/\b\f\n\r\t"},
        {R"("\u00e9\ud834\udd1e")", {}, {}, "\xC3\xA9\xF0\x9D\x84\x9E"},
    };
    for (const auto& [json, int64, number, text] : cases) {
        SCOPED_TRACE(json);
        const auto doc = JsonDocument::parse("{\"v\":"s + json + "}");
        ASSERT_TRUE(doc.has_value());
        const JsonValue value = *doc->root().find("v");
        EXPECT_EQ(value.int64(), int64);
        EXPECT_EQ(value.number(), number);
        EXPECT_EQ(value.string(), text);
        EXPECT_EQ(value.boolean(), json == "true"s ? std::optional(true) : std::nullopt);
        EXPECT_EQ(value.isNull(), json == "null"s);
        EXPECT_EQ(value.array().has_value(), json == "[1]"s);
        EXPECT_FALSE(value.object().has_value());
    }
}

// member() reads null as missing, find() as a value; findAll() answers as find() for each name.
// The document keeps its own copy of the bytes, and its views stay valid when it is moved.
TEST(JsonObjectLookup, FirstOfDuplicatesExactNamesAndNullAsMissingOnlyForMember) {
    std::optional<JsonDocument> parsed;
    {
        std::string bytes = R"({"b":1,"a":2,"b":3,"n":null,"nullFirst":null,"nullFirst":3,)"
                            R"("x\u0000y":4,"c":{"a":6}})";
        parsed = JsonDocument::parse(bytes);
        bytes.assign(bytes.size(), 'x');
    }
    ASSERT_TRUE(parsed.has_value());
    const JsonObject root = parsed->root();
    const JsonDocument moved = std::move(*parsed);
    EXPECT_EQ(moved.root().size(), 8U);
    EXPECT_EQ(root.member("c")->object()->member("a")->int64(), std::optional<std::int64_t>(6));
    EXPECT_TRUE(root.find("n").has_value());
    EXPECT_FALSE(root.member("n") || root.member("nullFirst") || root.find("B") || root.find("x"));
    EXPECT_EQ(root.find("x\0y"sv)->int64(), std::optional<std::int64_t>(4));
    const std::array<std::string_view, 6> names = {"a", "b", "n", "missing", "x", "b"};
    const std::array<std::optional<std::int64_t>, 6> expected = {2, 1, {}, {}, {}, 1};
    std::array<std::optional<JsonValue>, 6> found;
    found.fill(root.find("c"));  // stale values are overwritten, absent ones reset
    root.findAll(names, found);
    for (std::size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(std::string(names[i]));
        EXPECT_EQ(found[i].has_value(), root.find(names[i]).has_value());
        EXPECT_EQ(found[i] ? found[i]->int64() : std::nullopt, expected[i]);
        EXPECT_EQ(found[i] && found[i]->isNull(), names[i] == "n");
    }
}

// A failed writer ignores every later call and yields no document.
TEST(JsonWriter, WritesEscapedWellFormedJsonAndFailsOnAnythingElse) {
    using W = JsonWriter;
    const std::tuple<const char*, int, void (*)(W&), std::optional<std::string>> cases[] = {
        // Only '"', '\\' and control characters are escaped; U+10FFFF stays UTF-8.
        {"empty", 0, [](W& j) { j.value(""); }, R"("")"},
        {"quote, backslash", 0, [](W& j) { j.value("\"C:\\\""); }, R"("\"C:\\\"")"},
        {"named escapes", 0, [](W& j) { j.value("a\nb\rc\td\b\f"); }, R"("a\nb\rc\td\b\f")"},
        {"other controls", 0, [](W& j) { j.value("\x01\x1f\0"sv); }, R"("\u0001\u001f\u0000")"},
        {"no control", 0, [](W& j) { j.value(" /\x7f"); }, "\" /\x7f\""},
        {"UTF-8", 0, [](W& j) { j.value("é \xF4\x8F\xBF\xBF"); }, "\"é \xF4\x8F\xBF\xBF\""},
        {"compact", 0,
         [](W& j) {
             j.beginObject().member("a\"\n", std::numeric_limits<std::int64_t>::min()).key("b");
             j.beginArray(true).value(true).value(false).null().beginArray().endArray().endArray();
             j.key("c").beginObject().endObject().endObject();
         },
         R"({"a\"\n":-9223372036854775808,"b":[true,false,null,[]],"c":{}})"},
        {"indented, with an inline array", 2,
         [](W& j) {
             j.beginObject().member("a", 1).key("b").beginArray().value(true).beginArray();
             j.endArray().endArray().key("c").beginObject().endObject().key("frame");
             j.beginArray(true).value(0).value(1.5).endArray().endObject();
         },
         "{\n  \"a\": 1,\n  \"b\": [\n    true,\n    []\n  ],\n  \"c\": {},\n"
         "  \"frame\": [0, 1.5]\n}"},
        {"four spaces a level", 4, [](W& j) { j.beginArray().value(1).endArray(); }, "[\n    1\n]"},
        {"nothing written", 0, [](W&) {}, {}},
        {"invalid UTF-8", 0, [](W& j) { j.beginArray().value("\xed\xa0\x80").endArray(); }, {}},
        {"infinity, then more", 0, [](W& j) { j.value(-kInf).beginArray().endArray(); }, {}},
        {"still open", 0, [](W& j) { j.beginArray().beginArray().endArray(); }, {}},
        {"closed before opened", 0, [](W& j) { j.beginArray().endArray().endArray(); }, {}},
        {"[}", 0, [](W& j) { j.beginArray().endObject(); }, {}},
        {"a key without its value", 0, [](W& j) { j.beginObject().key("k").endObject(); }, {}},
        {"two keys", 0, [](W& j) { j.beginObject().key("a").key("b").value(1).endObject(); }, {}},
        {"a member without its key", 0, [](W& j) { j.beginObject().value(1).endObject(); }, {}},
        {"a key in an array", 0, [](W& j) { j.beginArray().key("a").value(1).endArray(); }, {}},
        {"two top-level values", 0, [](W& j) { j.null().value(true); }, {}},
    };
    for (const auto& [what, indent, write, expected] : cases) {
        SCOPED_TRACE(what);
        JsonWriter json(indent);
        write(json);
        EXPECT_EQ(json.result(), expected);
    }
}

// The shortest text that our own reader reads back as the very same double, sign of zero
// included; whole doubles stay integer literals only where a 64-bit integer holds them.
TEST(JsonWriter, DoublesRoundTripThroughTheShortestText) {
    const std::pair<double, const char*> cases[] = {
        {-978307200.0, "-978307200"},
        {0.0, "0"},
        {-0.0, "-0.0"},
        {1.0 / 3.0, "0.3333333333333333"},
        {5e-324, "5e-324"},
        {std::numeric_limits<double>::max(), "1.7976931348623157e+308"},
        {9007199254740993.0, "9007199254740992"},  // 2^53 + 1 is no double
        {-0x1p63, "-9223372036854775808"},
        {-0x1p63 - 2048.0, "-9.223372036854778e+18"},
        {0x1p64 - 2048.0, "18446744073709549568"},
        {0x1p64, "1.8446744073709552e+19"},
        {1e21, "1e+21"},
    };
    for (const auto& [value, text] : cases) {
        SCOPED_TRACE(::testing::Message() << value);
        JsonWriter json;
        json.beginObject().member("v", value).endObject();
        const std::string written = json.result().value_or("");
        EXPECT_EQ(written, "{\"v\":"s + text + "}");
        const auto doc = JsonDocument::parse(written);
        ASSERT_TRUE(doc.has_value()) << written;
        const auto back = doc->root().find("v")->number();
        ASSERT_TRUE(back.has_value()) << written;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(*back), std::bit_cast<std::uint64_t>(value))
            << written << " reads back as " << *back;
    }
}

TEST(IsValidUtf8, BoundaryTable) {
    const std::tuple<std::string, bool, const char*> cases[] = {
        {"", true, "empty"},
        {"a\0\x7f"s, true, "ASCII with NUL"},
        {"\xC2\x80", true, "U+0080, smallest two-byte"},
        {"\xE0\xA0\x80", true, "U+0800, smallest three-byte"},
        {"\xED\x9F\xBF", true, "U+D7FF"},
        {"\xEE\x80\x80", true, "U+E000"},
        {"\xF0\x90\x80\x80", true, "U+10000"},
        {"\xF4\x8F\xBF\xBF", true, "U+10FFFF"},
        {"\xED\xA0\x80", false, "U+D800"},
        {"\xF4\x90\x80\x80", false, "U+110000"},
        {"\xF5\x80\x80\x80", false, "lead byte F5"},
        {"\x80", false, "lone continuation byte"},
        {"\xC1\xBF", false, "overlong U+007F"},
        {"\xE0\x9F\xBF", false, "overlong U+07FF"},
        {"\xF0\x8F\xBF\xBF", false, "overlong U+FFFF"},
        {"a\xE2\x82", false, "truncated at the end"},
        {"\xE2\x28\xA1", false, "bad second byte"},
        {"\xF0\x9F\x92\xC2", false, "bad fourth byte"},
    };
    for (const auto& [bytes, valid, what] : cases) {
        SCOPED_TRACE(what);
        EXPECT_EQ(isValidUtf8(bytes), valid);
    }
}

}  // namespace
}  // namespace foundation
