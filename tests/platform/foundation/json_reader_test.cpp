#include "platform/foundation/json_reader.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace foundation {
namespace {

std::string nested(std::size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); }

std::optional<JsonValue> valueOf(const std::optional<JsonDocument>& doc, std::string_view name) {
    if (!doc) return std::nullopt;
    return doc->root().find(name);
}

// Rows the snapshot decode table already covers through this parser are not repeated here.
TEST(JsonDocumentParse, AcceptsOnlyOneObjectWithNothingAround) {
    struct Case {
        const char* what;
        std::string bytes;
        bool parses;
    };
    const std::vector<Case> cases = {
        {"empty object", "{}", true},
        {"whitespace around", " \t\r\n{} \n", true},
        {"BOM alone", "\xEF\xBB\xBF", false},
        {"half a BOM", "\xEF\xBB{}", false},
        {"array", "[]", false},
        {"number", "1", false},
        {"NUL before", std::string("\0{}", 3), false},
        {"unclosed", "{\"a\":1", false},
        {"control character in a key", "{\"\x1F\":1}", false},
        {"integer beyond 64 bits anywhere", R"({"a":[1,2,36893488147419103232]})", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(JsonDocument::parse(c.bytes).has_value(), c.parses);
    }
}

TEST(JsonDocumentParse, DepthLimitCountsTheTopLevelObject) {
    struct Case {
        std::size_t arrays;
        bool parses;
    };
    for (const Case c : {Case{kJsonMaxDepth - 2, true}, Case{kJsonMaxDepth - 1, true},
                         Case{kJsonMaxDepth, false}, Case{kJsonMaxDepth + 88, false}}) {
        SCOPED_TRACE("nested arrays: " + std::to_string(c.arrays));
        EXPECT_EQ(JsonDocument::parse("{\"a\":" + nested(c.arrays) + "}").has_value(), c.parses);
        // Objects count the same as arrays.
        std::string objects = "{";
        for (std::size_t i = 0; i < c.arrays; ++i) objects += "\"k\":{";
        objects += std::string(c.arrays + 1, '}');
        EXPECT_EQ(JsonDocument::parse(objects).has_value(), c.parses);
    }
}

TEST(JsonDocumentParse, OutlivesTheBytesItWasGiven) {
    std::optional<JsonDocument> doc;
    {
        std::string bytes = R"({"name":"brimlet"})";
        doc = JsonDocument::parse(bytes);
        bytes.assign(bytes.size(), 'x');
    }
    ASSERT_TRUE(doc.has_value());
    EXPECT_EQ(valueOf(doc, "name")->string(), std::optional<std::string_view>("brimlet"));

    // Moving the document keeps its views valid.
    const JsonObject root = doc->root();
    JsonDocument moved = std::move(*doc);
    EXPECT_EQ(root.find("name")->string(), std::optional<std::string_view>("brimlet"));
    EXPECT_EQ(moved.root().size(), 1U);
}

TEST(JsonValueInt64, WholeNumbersInTheSignedRange) {
    struct Case {
        const char* text;
        std::optional<std::int64_t> expected;
    };
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    const std::vector<Case> cases = {
        {"-0.0", 0},
        {"42", 42},
        {"1E3", 1000},
        {"2.5e1", 25},
        {"9223372036854775807", kMax},
        {"-9223372036854775808", kMin},
        {"9.2233720368547748e18", 9223372036854774784},  // the largest double below 2^63
        {"-1e19", std::nullopt},
        {"-0.5", std::nullopt},
        {"1e-300", std::nullopt},
        {"null", std::nullopt},
        {"[1]", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto doc = JsonDocument::parse(std::string("{\"v\":") + c.text + "}");
        ASSERT_TRUE(doc.has_value());
        EXPECT_EQ(valueOf(doc, "v")->int64(), c.expected);
    }
}

TEST(JsonValueNumber, AnyNumberAndNothingElse) {
    struct Case {
        const char* text;
        std::optional<double> expected;
    };
    const std::vector<Case> cases = {
        {"0.6", 0.6},
        {"-2", -2.0},
        {"1e308", 1e308},
        {"5e-324", 5e-324},
        {"1e-400", 0.0},  // underflows to zero; only overflow is an error
        {"18446744073709551615", 18446744073709551616.0},
        {"9223372036854775807", 9223372036854775808.0},
        {"\"0.6\"", std::nullopt},
        {"false", std::nullopt},
        {"null", std::nullopt},
        {"{}", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto doc = JsonDocument::parse(std::string("{\"v\":") + c.text + "}");
        ASSERT_TRUE(doc.has_value());
        EXPECT_EQ(valueOf(doc, "v")->number(), c.expected);
    }
}

TEST(JsonValueTypes, EachAccessorAnswersOnlyForItsType) {
    const auto doc = JsonDocument::parse(
        R"({"s":"x","i":1,"b":true,"n":null,"o":{"k":2},"a":[3,"y",null]})");
    ASSERT_TRUE(doc.has_value());
    const JsonObject root = doc->root();
    EXPECT_EQ(root.find("s")->string(), std::optional<std::string_view>("x"));
    EXPECT_FALSE(root.find("i")->string().has_value());
    EXPECT_EQ(root.find("b")->boolean(), std::optional<bool>(true));
    EXPECT_FALSE(root.find("i")->boolean().has_value());
    EXPECT_TRUE(root.find("n")->isNull());
    EXPECT_FALSE(root.find("s")->isNull());
    EXPECT_FALSE(root.find("a")->object().has_value());
    EXPECT_FALSE(root.find("o")->array().has_value());
    EXPECT_EQ(root.find("o")->object()->member("k")->int64(), std::optional<std::int64_t>(2));

    const auto array = root.find("a")->array();
    ASSERT_TRUE(array.has_value());
    EXPECT_EQ(array->size(), 3U);
    std::vector<std::string> kinds;
    for (const JsonValue v : *array) {
        kinds.push_back(v.isNull() ? "null" : v.string() ? "string" : v.int64() ? "int" : "?");
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"int", "string", "null"}));
    EXPECT_TRUE(JsonDocument::parse(R"({"e":[]})")->root().find("e")->array()->empty());
}

TEST(JsonObjectLookup, FirstOfDuplicatesAndMissingOrNull) {
    const auto doc = JsonDocument::parse(
        R"({"dup":1,"dup":2,"null":null,"nullFirst":null,"nullFirst":3,"Case":4,"x\u0000y":5})");
    ASSERT_TRUE(doc.has_value());
    const JsonObject root = doc->root();
    EXPECT_EQ(root.size(), 7U);
    EXPECT_EQ(root.member("dup")->int64(), std::optional<std::int64_t>(1));
    // member(): missing and null alike; find(): null is a value.
    EXPECT_FALSE(root.member("null").has_value());
    EXPECT_TRUE(root.find("null").has_value());
    EXPECT_FALSE(root.member("missing").has_value());
    EXPECT_FALSE(root.find("missing").has_value());
    EXPECT_FALSE(root.member("nullFirst").has_value());
    // Exact, case-sensitive names, with escaped NULs compared in full.
    EXPECT_FALSE(root.find("case").has_value());
    EXPECT_FALSE(root.find("x").has_value());
    EXPECT_EQ(root.find(std::string_view("x\0y", 3))->int64(), std::optional<std::int64_t>(5));
}

TEST(JsonObjectLookup, FindAllAgreesWithFindInOnePass) {
    const auto doc = JsonDocument::parse(
        R"({"b":1,"a":2,"b":3,"n":null,"x\u0000":4,"a":5,"c":{"a":6}})");
    ASSERT_TRUE(doc.has_value());
    const JsonObject root = doc->root();
    const std::array<std::string_view, 6> names = {"a", "b", "n", "missing", "x", "c"};
    std::array<std::optional<JsonValue>, 6> found;
    found.fill(root.find("c"));  // stale values are overwritten, absent ones reset
    root.findAll(names, found);
    for (std::size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(std::string(names[i]));
        const auto expected = root.find(names[i]);
        ASSERT_EQ(found[i].has_value(), expected.has_value());
        if (expected) {
            EXPECT_EQ(found[i]->int64(), expected->int64());
            EXPECT_EQ(found[i]->isNull(), expected->isNull());
        }
    }
    EXPECT_EQ(found[0]->int64(), std::optional<std::int64_t>(2));
    EXPECT_EQ(found[1]->int64(), std::optional<std::int64_t>(1));
    EXPECT_TRUE(found[2]->isNull());
    EXPECT_TRUE(found[5]->object().has_value());

    // The same name twice: both get the first member.
    const std::array<std::string_view, 2> twice = {"b", "b"};
    std::array<std::optional<JsonValue>, 2> both;
    root.findAll(twice, both);
    ASSERT_TRUE(both[0].has_value() && both[1].has_value());
    EXPECT_EQ(both[0]->int64(), std::optional<std::int64_t>(1));
    EXPECT_EQ(both[1]->int64(), std::optional<std::int64_t>(1));
}

TEST(JsonValueString, KeepsEscapedNulsAndUnescapes) {
    struct Case {
        const char* json;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {R"("a\u0000b")", std::string("a\0b", 3)},
        {R"("\u0000")", std::string("\0", 1)},
        {R"("\"\\\/\b\f\n\r\t")", "\"\\/\b\f\n\r\t"},
        {R"("\u00e9")", "\xC3\xA9"},
        {R"("\ud834\udd1e")", "\xF0\x9D\x84\x9E"},
        {"\"\xF0\x9D\x84\x9E\"", "\xF0\x9D\x84\x9E"},
        {R"("")", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        const auto doc = JsonDocument::parse(std::string("{\"v\":") + c.json + "}");
        ASSERT_TRUE(doc.has_value());
        const auto text = valueOf(doc, "v")->string();
        ASSERT_TRUE(text.has_value());
        EXPECT_EQ(std::string(*text), c.expected);
    }
}

}  // namespace
}  // namespace foundation
