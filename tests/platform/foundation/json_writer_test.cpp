#include "platform/foundation/json_writer.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {
namespace {

using namespace std::string_literals;

std::optional<std::string> writeString(std::string_view text) {
    JsonWriter json;
    json.value(text);
    return json.result();
}

TEST(JsonWriter, EscapesQuotesBackslashesAndControlCharacters) {
    struct Case {
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"", R"("")"},
        {"plain", R"("plain")"},
        {"say \"hi\"", R"("say \"hi\"")"},
        {"C:\\dir", R"("C:\\dir")"},
        {"\\\"", R"("\\\"")"},
        {"a\nb\rc\td", R"("a\nb\rc\td")"},
        {"\b\f", R"("\b\f")"},
        {"\x01", R"("\u0001")"},
        {"\x1f", R"("\u001f")"},
        {"\x0b", R"("\u000b")"},
        {"\x1b[0m", R"("\u001b[0m")"},
        {"a\0b"s, R"("a\u0000b")"},
        // Not control characters in JSON: copied.
        {" ", R"(" ")"},
        {"/", R"("/")"},
        {"\x7f", "\"\x7f\""},
        // Non-ASCII stays as UTF-8, unescaped.
        {"Größe", "\"Größe\""},
        {"€ 5", "\"€ 5\""},
        {"\xF0\x9F\x92\xBE", "\"\xF0\x9F\x92\xBE\""},       // U+1F4BE
        {"\xF4\x8F\xBF\xBF", "\"\xF4\x8F\xBF\xBF\""},       // U+10FFFF
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.out);
        EXPECT_EQ(writeString(c.in), c.out);
    }
}

TEST(JsonWriter, KeysAreEscapedLikeStrings) {
    JsonWriter json;
    json.beginObject().member("a\"\n", 1).endObject();
    EXPECT_EQ(json.result(), R"({"a\"\n":1})");
}

TEST(JsonWriter, InvalidUtf8FailsTheWriter) {
    for (const std::string& bad : {"\xff"s, "a\xc3"s, "\xed\xa0\x80"s, "\xc0\xaf"s}) {
        SCOPED_TRACE(::testing::PrintToString(bad));
        {
            JsonWriter json;
            json.beginArray().value("ok").value(bad).endArray();
            EXPECT_TRUE(json.failed());
            EXPECT_EQ(json.result(), std::nullopt);
        }
        {
            JsonWriter json;
            json.beginObject().member(bad, 1).endObject();
            EXPECT_TRUE(json.failed());
            EXPECT_EQ(json.result(), std::nullopt);
        }
    }
}

TEST(JsonWriter, NonFiniteDoubleFailsTheWriter) {
    for (const double bad : {std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(bad);
        JsonWriter json;
        json.beginObject().member("x", bad).endObject();
        EXPECT_TRUE(json.failed());
        EXPECT_EQ(json.result(), std::nullopt);
        // Once failed, later calls change nothing.
        json.beginArray().endArray();
        EXPECT_EQ(json.result(), std::nullopt);
    }
}

TEST(JsonWriter, UnbalancedNestingFails) {
    {
        JsonWriter json;
        json.beginObject();
        EXPECT_EQ(json.result(), std::nullopt);  // still open
    }
    {
        JsonWriter json;
        json.beginArray().beginArray().endArray();
        EXPECT_EQ(json.result(), std::nullopt);
    }
    {
        JsonWriter json;
        json.endArray();
        EXPECT_TRUE(json.failed());
        EXPECT_EQ(json.result(), std::nullopt);
    }
    {
        JsonWriter json;
        json.beginArray().endArray().endArray();
        EXPECT_TRUE(json.failed());
        EXPECT_EQ(json.result(), std::nullopt);
    }
    {
        JsonWriter json;  // a key whose value never came
        json.beginObject().key("k").endObject();
        EXPECT_TRUE(json.failed());
        EXPECT_EQ(json.result(), std::nullopt);
    }
    {
        JsonWriter json;  // two keys in a row
        json.beginObject().key("a").key("b");
        EXPECT_TRUE(json.failed());
    }
    {
        JsonWriter json;  // a key outside any object
        json.key("a");
        EXPECT_TRUE(json.failed());
        EXPECT_EQ(json.result(), std::nullopt);
    }
    {
        JsonWriter json;  // nothing written is no document
        EXPECT_EQ(json.result(), std::nullopt);
    }
}

// A bracket that closes the other kind of container would give "[}" or "{]".
TEST(JsonWriter, MismatchedBracketFails) {
    {
        JsonWriter json;
        json.beginArray().endObject();
        EXPECT_EQ(json.result(), std::nullopt) << *json.result();
    }
    {
        JsonWriter json;
        json.beginObject().endArray();
        EXPECT_EQ(json.result(), std::nullopt) << *json.result();
    }
}

// An object member without its key, or a key inside an array, would give "{1}" or "["a":1]".
TEST(JsonWriter, MisplacedKeysAndValuesFail) {
    {
        JsonWriter json;
        json.beginObject().value(1).endObject();
        EXPECT_EQ(json.result(), std::nullopt) << *json.result();
    }
    {
        JsonWriter json;
        json.beginArray().key("a").value(1).endArray();
        EXPECT_EQ(json.result(), std::nullopt) << *json.result();
    }
}

TEST(JsonWriter, ASecondTopLevelValueFails) {
    {
        JsonWriter json;
        json.value(std::int64_t{1}).value(std::int64_t{2});
        EXPECT_TRUE(json.failed());
        EXPECT_EQ(json.result(), std::nullopt);
    }
    {
        JsonWriter json;
        json.beginObject().endObject().beginArray().endArray();
        EXPECT_TRUE(json.failed());
        EXPECT_EQ(json.result(), std::nullopt);
    }
    {
        JsonWriter json;
        json.null().value(true);
        EXPECT_EQ(json.result(), std::nullopt);
    }
}

TEST(JsonWriter, ScalarsAtTheTopLevel) {
    struct Case {
        void (*write)(JsonWriter&);
        const char* text;
    };
    const Case cases[] = {
        {[](JsonWriter& j) { j.value(true); }, "true"},
        {[](JsonWriter& j) { j.value(false); }, "false"},
        {[](JsonWriter& j) { j.null(); }, "null"},
        {[](JsonWriter& j) { j.value(0); }, "0"},
        {[](JsonWriter& j) { j.value(-42); }, "-42"},
        {[](JsonWriter& j) { j.value(std::numeric_limits<std::int64_t>::max()); },
         "9223372036854775807"},
        {[](JsonWriter& j) { j.value(std::numeric_limits<std::int64_t>::min()); },
         "-9223372036854775808"},
        {[](JsonWriter& j) { j.value("x"); }, "\"x\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        JsonWriter json;
        c.write(json);
        EXPECT_EQ(json.result(), std::optional<std::string>(c.text));
    }
}

TEST(JsonWriter, DoublesRoundTripThroughTheShortestText) {
    struct Case {
        double value;
        const char* text;  // nullptr: only the round trip is checked
    };
    const Case cases[] = {
        {0.1, "0.1"},
        {0.62, "0.62"},
        {1e300, "1e+300"},
        {-978307200.0, "-978307200"},
        {730902896.789, "730902896.789"},
        {0.0, "0"},
        {-0.0, "-0"},
        {1.0 / 3.0, nullptr},
        {5e-324, nullptr},
        {std::numeric_limits<double>::max(), nullptr},
        {std::numeric_limits<double>::min(), nullptr},
        {9007199254740993.0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.value);
        JsonWriter json;
        json.beginArray().value(c.value).endArray();
        const auto text = json.result();
        ASSERT_TRUE(text.has_value());
        ASSERT_GE(text->size(), 3u);
        const std::string number = text->substr(1, text->size() - 2);
        if (c.text != nullptr) {
            EXPECT_EQ(number, c.text);
        }
        double back = 0;
        const auto r = std::from_chars(number.data(), number.data() + number.size(), back);
        ASSERT_EQ(r.ec, std::errc());
        EXPECT_EQ(r.ptr, number.data() + number.size());
        EXPECT_EQ(std::memcmp(&back, &c.value, sizeof back), 0) << "read back " << number;
    }
}

TEST(JsonWriter, InlineArraysStayOnOneLineAndCloseWhereTheyOpened) {
    JsonWriter indented(2);
    indented.beginObject();
    indented.key("frame").beginArray(true).value(0).value(1.5).value(364).value(170).endArray();
    indented.key("empty").beginArray(true).endArray();
    indented.key("after").beginArray().value(1).endArray();
    indented.endObject();
    EXPECT_EQ(indented.result(), "{\n"
                                 "  \"frame\": [0, 1.5, 364, 170],\n"
                                 "  \"empty\": [],\n"
                                 "  \"after\": [\n"
                                 "    1\n"
                                 "  ]\n"
                                 "}");

    // Compact output ignores the request: there is no line to keep.
    JsonWriter compact;
    compact.beginArray(true).value(1).value(2).endArray();
    EXPECT_EQ(compact.result(), "[1,2]");
}

TEST(JsonWriter, CompactAndIndentedLayout) {
    const auto write = [](JsonWriter& json) {
        json.beginObject();
        json.member("a", 1);
        json.key("b").beginArray().value(true).null().beginArray().endArray().endArray();
        json.key("c").beginObject().endObject();
        json.key("d").beginObject().member("e", "f").endObject();
        json.endObject();
    };
    JsonWriter compact;
    write(compact);
    EXPECT_EQ(compact.result(), R"({"a":1,"b":[true,null,[]],"c":{},"d":{"e":"f"}})");

    JsonWriter indented(2);
    write(indented);
    EXPECT_EQ(indented.result(), "{\n"
                                 "  \"a\": 1,\n"
                                 "  \"b\": [\n"
                                 "    true,\n"
                                 "    null,\n"
                                 "    []\n"
                                 "  ],\n"
                                 "  \"c\": {},\n"
                                 "  \"d\": {\n"
                                 "    \"e\": \"f\"\n"
                                 "  }\n"
                                 "}");

    JsonWriter four(4);
    four.beginArray().value(1).endArray();
    EXPECT_EQ(four.result(), "[\n    1\n]");
}

TEST(IsValidUtf8, BoundaryTable) {
    struct Case {
        std::string bytes;
        bool valid;
        const char* what;
    };
    const Case cases[] = {
        {"", true, "empty"},
        {"abc\x7f", true, "ASCII"},
        {"a\0b"s, true, "NUL is a character"},
        {"\xC2\x80", true, "U+0080, smallest two-byte"},
        {"\xDF\xBF", true, "U+07FF"},
        {"\xE0\xA0\x80", true, "U+0800, smallest three-byte"},
        {"\xED\x9F\xBF", true, "U+D7FF, below the surrogates"},
        {"\xEE\x80\x80", true, "U+E000, above the surrogates"},
        {"\xEF\xBF\xBF", true, "U+FFFF"},
        {"\xF0\x90\x80\x80", true, "U+10000, smallest four-byte"},
        {"\xF4\x8F\xBF\xBF", true, "U+10FFFF, the last code point"},
        {"\xE2\x82\xAC x \xC3\xA9", true, "mixed"},
        {"\x80", false, "lone continuation byte"},
        {"\xBF", false, "lone continuation byte"},
        {"\xC0\x80", false, "overlong NUL"},
        {"\xC1\xBF", false, "overlong U+007F"},
        {"\xE0\x80\x80", false, "overlong three-byte"},
        {"\xE0\x9F\xBF", false, "overlong U+07FF"},
        {"\xF0\x80\x80\x80", false, "overlong four-byte"},
        {"\xF0\x8F\xBF\xBF", false, "overlong U+FFFF"},
        {"\xED\xA0\x80", false, "U+D800, first surrogate"},
        {"\xED\xBF\xBF", false, "U+DFFF, last surrogate"},
        {"\xED\xA0\xBD\xED\xB2\xBE", false, "surrogate pair written as two code points"},
        {"\xF4\x90\x80\x80", false, "U+110000"},
        {"\xF5\x80\x80\x80", false, "lead byte F5"},
        {"\xF8\x88\x80\x80\x80", false, "five-byte form"},
        {"\xFE", false, "FE"},
        {"\xFF", false, "FF"},
        {"\xC2", false, "truncated two-byte"},
        {"\xE2\x82", false, "truncated three-byte"},
        {"\xF0\x9F\x92", false, "truncated four-byte"},
        {"a\xE2\x82", false, "truncated at the end after ASCII"},
        {"\xE2\x82" "a", false, "truncated before ASCII"},
        {"\xC2" "A", false, "continuation that is ASCII"},
        {"\xE2\x28\xA1", false, "bad second byte"},
        {"\xE2\x82\x28", false, "bad third byte"},
        {"\xF0\x9F\x92\x28", false, "bad fourth byte"},
        {"\xC2\xC2\x80", false, "lead byte where a continuation belongs"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(isValidUtf8(c.bytes), c.valid);
    }
}

}  // namespace
}  // namespace foundation
