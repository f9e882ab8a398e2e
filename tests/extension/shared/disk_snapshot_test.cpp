#include "extension/shared/disk_snapshot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "platform/foundation/json_reader.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using brimlet_test::areaJson;
using brimlet_test::Doc;
using brimlet_test::sameSnapshot;

std::string nested(int depth) {
    return std::string(static_cast<std::size_t>(depth), '[') +
           std::string(static_cast<std::size_t>(depth), ']');
}

std::string withBytes(std::string text, std::string_view bytes) {
    text.append(bytes);
    return text;
}

// One decode case: a document, whether it decodes, and what to check on the result.
struct DecodeCase {
    const char* what;
    std::string json;
    bool decodes;
    std::function<void(const DiskSnapshot&)> check;
};

void runDecodeCases(const std::vector<DecodeCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.what) + "\n  document: " + c.json.substr(0, 300));
        const auto decoded = DiskSnapshot::decode(c.json);
        ASSERT_EQ(decoded.has_value(), c.decodes);
        if (decoded && c.check) c.check(*decoded);
    }
}

TEST(DiskSnapshotDecode, OptionalMembers) {
    runDecodeCases({
        {"neither areas nor rootName", Doc().str(), true,
         [](const DiskSnapshot& s) {
             EXPECT_FALSE(s.areas.has_value());
             EXPECT_FALSE(s.rootName.has_value());
         }},
        {"areas null", Doc().set("areas", "null").str(), true,
         [](const DiskSnapshot& s) { EXPECT_FALSE(s.areas.has_value()); }},
        {"rootName null", Doc().set("rootName", "null").str(), true,
         [](const DiskSnapshot& s) { EXPECT_FALSE(s.rootName.has_value()); }},
        {"areas empty: present", Doc().set("areas", "[]").str(), true,
         [](const DiskSnapshot& s) {
             ASSERT_TRUE(s.areas.has_value());
             EXPECT_TRUE(s.areas->empty());
         }},
        {"rootName empty: present", Doc().set("rootName", R"("")").str(), true,
         [](const DiskSnapshot& s) { EXPECT_EQ(s.rootName, std::optional<std::string>("")); }},
        {"one area", Doc().set("areas", "[" + areaJson(R"("work")") + "]").str(), true,
         [](const DiskSnapshot& s) {
             ASSERT_TRUE(s.areas.has_value());
             ASSERT_EQ(s.areas->size(), 1U);
             EXPECT_EQ((*s.areas)[0].name, "work");
             EXPECT_EQ((*s.areas)[0].total, 22000000000);
             ASSERT_EQ((*s.areas)[0].topFolders.size(), 1U);
             EXPECT_EQ((*s.areas)[0].topFolders[0].name, "larrow");
             EXPECT_EQ((*s.areas)[0].topKinds[0].size, 12000000000);
         }},
        {"areas an object", Doc().set("areas", "{}").str(), false, nullptr},
        {"areas holding a number", Doc().set("areas", "[1]").str(), false, nullptr},
        {"areas holding null", Doc().set("areas", "[null]").str(), false, nullptr},
        {"rootName a number", Doc().set("rootName", "5").str(), false, nullptr},
        {"rootName false", Doc().set("rootName", "false").str(), false, nullptr},
    });
}

TEST(DiskSnapshotDecode, EveryRequiredMemberOfTheSnapshot) {
    const std::vector<std::string> required = {"generatedAt", "volumeName", "usedFraction", "used",
                                               "free",        "total",      "topFolders",   "topKinds"};
    std::vector<DecodeCase> cases;
    for (const auto& name : required) {
        cases.push_back({"missing", Doc().remove(name).str(), false, nullptr});
        cases.push_back({"null", Doc().set(name, "null").str(), false, nullptr});
        cases.push_back({"differs in letter case only",
                         Doc().remove(name).add(std::string(1, static_cast<char>(std::toupper(name[0]))) +
                                                    name.substr(1),
                                                "0")
                             .str(),
                         false, nullptr});
    }
    runDecodeCases(cases);
}

TEST(DiskSnapshotDecode, EveryRequiredMemberOfAreasAndItems) {
    const std::string item = R"({"name":"a","size":1})";
    const std::string list = "[" + item + "]";
    runDecodeCases({
        {"area without name",
         Doc().set("areas", R"([{"total":1,"topFolders":[],"topKinds":[]}])").str(), false, nullptr},
        {"area without total",
         Doc().set("areas", R"([{"name":"w","topFolders":[],"topKinds":[]}])").str(), false, nullptr},
        {"area without topFolders", Doc().set("areas", R"([{"name":"w","total":1,"topKinds":[]}])").str(),
         false, nullptr},
        {"area without topKinds", Doc().set("areas", R"([{"name":"w","total":1,"topFolders":[]}])").str(),
         false, nullptr},
        {"area with null name",
         Doc().set("areas", R"([{"name":null,"total":1,"topFolders":[],"topKinds":[]}])").str(), false,
         nullptr},
        {"complete area with empty lists",
         Doc().set("areas", R"([{"name":"w","total":1,"topFolders":[],"topKinds":[]}])").str(), true,
         [](const DiskSnapshot& s) {
             ASSERT_EQ(s.areas->size(), 1U);
             EXPECT_TRUE((*s.areas)[0].topFolders.empty());
         }},
        {"item without size", Doc().set("topFolders", R"([{"name":"a"}])").str(), false, nullptr},
        {"item without name", Doc().set("topKinds", R"([{"size":1}])").str(), false, nullptr},
        {"item with null size", Doc().set("topFolders", R"([{"name":"a","size":null}])").str(), false,
         nullptr},
        {"item name a number", Doc().set("topFolders", R"([{"name":1,"size":1}])").str(), false,
         nullptr},
        {"item size a string", Doc().set("topFolders", R"([{"name":"a","size":"1"}])").str(), false,
         nullptr},
        {"item an array", Doc().set("topFolders", R"([["a",1]])").str(), false, nullptr},
        {"bad item inside an area",
         Doc().set("areas", R"([{"name":"w","total":1,"topFolders":[{"name":"a"}],"topKinds":[]}])").str(),
         false, nullptr},
        {"second item bad, first good", Doc().set("topFolders", "[" + item + R"(,{"name":"b"}])").str(),
         false, nullptr},
        {"topFolders an object", Doc().set("topFolders", item).str(), false, nullptr},
        {"empty lists", Doc().set("topFolders", "[]").set("topKinds", "[]").str(), true,
         [](const DiskSnapshot& s) {
             EXPECT_TRUE(s.topFolders.empty());
             EXPECT_TRUE(s.topKinds.empty());
         }},
        {"lists keep file order", Doc().set("topKinds", R"([{"name":"z","size":1},{"name":"a","size":9}])").str(),
         true,
         [](const DiskSnapshot& s) {
             ASSERT_EQ(s.topKinds.size(), 2U);
             EXPECT_EQ(s.topKinds[0].name, "z");
             EXPECT_EQ(s.topKinds[1].name, "a");
         }},
        {"list", Doc().set("topKinds", list).str(), true, nullptr},
    });
}

TEST(DiskSnapshotDecode, SignedIntegerFields) {
    auto used = [](std::int64_t expected) {
        return [expected](const DiskSnapshot& s) { EXPECT_EQ(s.used, expected); };
    };
    runDecodeCases({
        {"-1", Doc().set("used", "-1").str(), true, used(-1)},
        {"0", Doc().set("used", "0").str(), true, used(0)},
        {"-0", Doc().set("used", "-0").str(), true, used(0)},
        {"1.0: whole", Doc().set("used", "1.0").str(), true, used(1)},
        {"1e3: whole", Doc().set("used", "1e3").str(), true, used(1000)},
        {"1E+3", Doc().set("used", "1E+3").str(), true, used(1000)},
        {"1e18: whole", Doc().set("used", "1e18").str(), true, used(1000000000000000000)},
        {"1.5: fraction", Doc().set("used", "1.5").str(), false, nullptr},
        {"1e-1: fraction", Doc().set("used", "1e-1").str(), false, nullptr},
        {"INT64_MAX", Doc().set("used", "9223372036854775807").str(), true,
         used(std::numeric_limits<std::int64_t>::max())},
        {"INT64_MIN", Doc().set("used", "-9223372036854775808").str(), true,
         used(std::numeric_limits<std::int64_t>::min())},
        {"2^63 as an integer", Doc().set("used", "9223372036854775808").str(), false, nullptr},
        {"2^63 as a double", Doc().set("used", "9.223372036854775808e18").str(), false, nullptr},
        {"2^64 - 1", Doc().set("used", "18446744073709551615").str(), false, nullptr},
        {"-2^63 - 1", Doc().set("used", "-9223372036854775809").str(), false, nullptr},
        {"-2^63 as a double", Doc().set("free", "-9.223372036854775808e18").str(), true,
         [](const DiskSnapshot& s) { EXPECT_EQ(s.free, std::numeric_limits<std::int64_t>::min()); }},
        {"1e19", Doc().set("total", "1e19").str(), false, nullptr},
        {"beyond 64 bits", Doc().set("total", "123456789012345678901234567890").str(), false, nullptr},
        {"a string", Doc().set("used", R"("1")").str(), false, nullptr},
        {"true", Doc().set("used", "true").str(), false, nullptr},
        {"size 1e3 in an item", Doc().set("topFolders", R"([{"name":"a","size":1e3}])").str(), true,
         [](const DiskSnapshot& s) { EXPECT_EQ(s.topFolders[0].size, 1000); }},
        {"area total 2.5",
         Doc().set("areas", R"([{"name":"w","total":2.5,"topFolders":[],"topKinds":[]}])").str(), false,
         nullptr},
    });
}

TEST(DiskSnapshotDecode, DoublesAndInstants) {
    runDecodeCases({
        {"generatedAt 0 is 2001-01-01T00:00:00Z", Doc().set("generatedAt", "0").str(), true,
         [](const DiskSnapshot& s) { EXPECT_EQ(s.generatedAt, foundation::Date{0}); }},
        {"generatedAt at the Unix epoch", Doc().set("generatedAt", "-978307200").str(), true,
         [](const DiskSnapshot& s) { EXPECT_EQ(s.generatedAt.unixSeconds(), 0.0); }},
        {"generatedAt with a fraction", Doc().set("generatedAt", "725846400.125").str(), true,
         [](const DiskSnapshot& s) { EXPECT_EQ(s.generatedAt.secondsSinceReferenceDate, 725846400.125); }},
        {"generatedAt as a date string", Doc().set("generatedAt", R"("2001-01-01T00:00:00Z")").str(),
         false, nullptr},
        {"usedFraction 1 (an integer)", Doc().set("usedFraction", "1").str(), true,
         [](const DiskSnapshot& s) { EXPECT_EQ(s.usedFraction, 1.0); }},
        {"usedFraction outside 0...1 kept", Doc().set("usedFraction", "-2.5").str(), true,
         [](const DiskSnapshot& s) { EXPECT_EQ(s.usedFraction, -2.5); }},
        {"usedFraction 1e308", Doc().set("usedFraction", "1e308").str(), true,
         [](const DiskSnapshot& s) { EXPECT_EQ(s.usedFraction, 1e308); }},
        {"usedFraction 1e400: out of range", Doc().set("usedFraction", "1e400").str(), false, nullptr},
        {"usedFraction -1e400", Doc().set("usedFraction", "-1e400").str(), false, nullptr},
        {"usedFraction 2^64 (an integer)", Doc().set("usedFraction", "18446744073709551615").str(), true,
         [](const DiskSnapshot& s) { EXPECT_EQ(s.usedFraction, 18446744073709551616.0); }},
        {"usedFraction a string", Doc().set("usedFraction", R"("0.6")").str(), false, nullptr},
        {"NaN is no JSON", Doc().set("usedFraction", "NaN").str(), false, nullptr},
        {"Infinity is no JSON", Doc().set("usedFraction", "Infinity").str(), false, nullptr},
    });
}

TEST(DiskSnapshotDecode, MemberNamesAndUnknownMembers) {
    runDecodeCases({
        {"duplicate: the first wins", Doc().add("used", "2").str(), true,
         [](const DiskSnapshot& s) { EXPECT_EQ(s.used, 556000000000); }},
        {"duplicate: the first wins even when the second is mistyped", Doc().add("used", R"("x")").str(),
         true, [](const DiskSnapshot& s) { EXPECT_EQ(s.used, 556000000000); }},
        {"duplicate: a mistyped first loses the document", Doc().prepend("used", R"("x")").str(), false,
         nullptr},
        {"duplicate: a null first makes an optional absent",
         Doc().add("rootName", "null").add("rootName", R"("code")").str(), true,
         [](const DiskSnapshot& s) { EXPECT_FALSE(s.rootName.has_value()); }},
        {"member order is free", Doc().remove("generatedAt").add("generatedAt", "5").str(), true,
         [](const DiskSnapshot& s) { EXPECT_EQ(s.generatedAt.secondsSinceReferenceDate, 5.0); }},
        {"unknown member at the top", Doc().add("schema", R"({"v":[1,2,{"x":null}]})").str(), true,
         nullptr},
        {"unknown member in an item",
         Doc().set("topFolders", R"([{"name":"a","size":1,"path":"/a","extra":[true]}])").str(), true,
         [](const DiskSnapshot& s) { EXPECT_EQ(s.topFolders[0].name, "a"); }},
        {"unknown member in an area",
         Doc().set("areas", R"([{"name":"w","total":1,"topFolders":[],"topKinds":[],"id":7}])").str(),
         true, nullptr},
        {"escaped member name matches", Doc().remove("used").add(R"(\u0075sed)", "3").str(), true,
         [](const DiskSnapshot& s) { EXPECT_EQ(s.used, 3); }},
        {"member name with a NUL after it does not match",
         Doc().remove("used").add(R"(used\u0000)", "3").str(), false, nullptr},
    });
}

TEST(DiskSnapshotDecode, TextIsKeptWhole) {
    runDecodeCases({
        {"escaped NUL inside a name", Doc().set("volumeName", R"("Mac\u0000HD")").str(), true,
         [](const DiskSnapshot& s) { EXPECT_EQ(s.volumeName, std::string("Mac\0HD", 6)); }},
        {"escapes", Doc().set("volumeName", R"("a\"b\\c\/d\n\t")").str(), true,
         [](const DiskSnapshot& s) { EXPECT_EQ(s.volumeName, "a\"b\\c/d\n\t"); }},
        {"surrogate pair", Doc().set("rootName", R"("\ud83d\udcbe disk")").str(), true,
         [](const DiskSnapshot& s) { EXPECT_EQ(s.rootName, std::optional<std::string>("\xF0\x9F\x92\xBE disk")); }},
        {"decomposed name kept as written", Doc().set("rootName", "\"cafe\xCC\x81\"").str(), true,
         [](const DiskSnapshot& s) { EXPECT_EQ(s.rootName, std::optional<std::string>("cafe\xCC\x81")); }},
        {"empty names", Doc().set("volumeName", R"("")").set("topFolders", R"([{"name":"","size":0}])").str(),
         true, [](const DiskSnapshot& s) { EXPECT_EQ(s.volumeName, ""); }},
        {"DEL needs no escape", Doc().set("volumeName", "\"a\x7F\"").str(), true, nullptr},
    });
}

TEST(DiskSnapshotDecode, MalformedDocuments) {
    const std::string valid = Doc().str();
    runDecodeCases({
        {"empty", "", false, nullptr},
        {"whitespace only", " \n", false, nullptr},
        {"null", "null", false, nullptr},
        {"top-level array", "[" + valid + "]", false, nullptr},
        {"top-level string", R"("{}")", false, nullptr},
        {"truncated", valid.substr(0, valid.size() / 2), false, nullptr},
        {"missing closing brace", valid.substr(0, valid.size() - 1), false, nullptr},
        {"trailing whitespace", valid + " \n\t", true, nullptr},
        {"leading whitespace", "\n " + valid, true, nullptr},
        {"leading BOM", "\xEF\xBB\xBF" + valid, true, nullptr},
        {"two BOMs", "\xEF\xBB\xBF\xEF\xBB\xBF" + valid, false, nullptr},
        {"BOM after whitespace", " \xEF\xBB\xBF" + valid, false, nullptr},
        {"trailing garbage", valid + "x", false, nullptr},
        {"a second document", valid + valid, false, nullptr},
        {"trailing comma", valid.substr(0, valid.size() - 1) + ",}", false, nullptr},
        {"NUL after the document", withBytes(valid, std::string_view("\0", 1)), false, nullptr},
        {"NUL after trailing whitespace", withBytes(valid + "\n", std::string_view("\0", 1)), false, nullptr},
        {"single quotes", Doc().set("volumeName", "'x'").str(), false, nullptr},
        {"comment", valid + "// note", false, nullptr},
        {"leading zero", Doc().set("used", "01").str(), false, nullptr},
        {"plus sign", Doc().set("used", "+1").str(), false, nullptr},
        {"hexadecimal", Doc().set("used", "0x10").str(), false, nullptr},
    });
}

TEST(DiskSnapshotDecode, TextRulesAnywhereInTheDocument) {
    runDecodeCases({
        {"invalid UTF-8 in a name", Doc().set("volumeName", "\"\xFF\"").str(), false, nullptr},
        {"invalid UTF-8 in an unknown member", Doc().add("x", "\"\xC3\x28\"").str(), false, nullptr},
        {"overlong encoding", Doc().add("x", "\"\xC0\xAF\"").str(), false, nullptr},
        {"encoded surrogate (CESU)", Doc().add("x", "\"\xED\xA0\x80\"").str(), false, nullptr},
        {"truncated sequence", Doc().add("x", "\"\xE2\x82\"").str(), false, nullptr},
        {"invalid UTF-8 in a member name", Doc().add("\xFF", "1").str(), false, nullptr},
        {"lone high surrogate in a name", Doc().set("volumeName", R"("\ud800")").str(), false, nullptr},
        {"lone low surrogate in an unknown member", Doc().add("x", R"("\udc00")").str(), false, nullptr},
        {"high surrogate then a letter", Doc().add("x", R"("\ud800a")").str(), false, nullptr},
        {"two high surrogates", Doc().add("x", R"("\ud800\ud800")").str(), false, nullptr},
        {"reversed pair", Doc().add("x", R"("\udc00\ud800")").str(), false, nullptr},
        {"lone surrogate in a member name", Doc().add(R"(\udfff)", "1").str(), false, nullptr},
        {"unescaped control character in an unknown member", Doc().add("x", "\"a\x01\"").str(), false,
         nullptr},
        {"unescaped tab in a name", Doc().set("volumeName", "\"a\tb\"").str(), false, nullptr},
        {"unescaped newline in a name", Doc().set("volumeName", "\"a\nb\"").str(), false, nullptr},
        {"raw NUL inside a string", Doc().add("x", std::string("\"a\0b\"", 5)).str(), false, nullptr},
        {"bad escape", Doc().add("x", R"("\x41")").str(), false, nullptr},
        {"short \\u escape", Doc().add("x", R"("\u12")").str(), false, nullptr},
    });
}

TEST(DiskSnapshotDecode, NestingDepth) {
    // The top-level object is level 1, so 511 nested arrays reach the limit of 512.
    runDecodeCases({
        {"511 arrays in an unknown member (depth 512)", Doc().add("x", nested(511)).str(), true, nullptr},
        {"512 arrays in an unknown member (depth 513)", Doc().add("x", nested(512)).str(), false, nullptr},
        {"600 arrays in an unknown member", Doc().add("x", nested(600)).str(), false, nullptr},
        {"600 arrays in an unknown member of an item",
         Doc().set("topFolders", R"([{"name":"a","size":1,"x":)" + nested(600) + "}]").str(), false,
         nullptr},
        {"100000 arrays", Doc().add("x", nested(100000)).str(), false, nullptr},
    });
}

TEST(DiskSnapshotDecode, ExampleDocument) {
    const auto s = DiskSnapshot::decode(brimlet_test::exampleDocument());
    ASSERT_TRUE(s.has_value());
    EXPECT_EQ(s->generatedAt.secondsSinceReferenceDate, 0.0);
    EXPECT_EQ(s->volumeName, "Macintosh HD");
    EXPECT_EQ(s->usedFraction, 0.6);
    EXPECT_EQ(s->used, 556000000000);
    EXPECT_EQ(s->free, 370000000000);
    EXPECT_EQ(s->total, 926000000000);
    ASSERT_EQ(s->topFolders.size(), 2U);
    EXPECT_EQ(s->topFolders[1].name, "Downloads");
    EXPECT_EQ(s->topFolders[1].size, 22000000000);
    ASSERT_EQ(s->topKinds.size(), 1U);
    ASSERT_TRUE(s->areas.has_value());
    ASSERT_EQ(s->areas->size(), 1U);
    EXPECT_EQ((*s->areas)[0].name, "work");
    EXPECT_EQ((*s->areas)[0].topKinds[0].name, "Binaries");
    EXPECT_EQ(s->rootName, std::optional<std::string>("code"));
}

// ---- Encoding

TEST(DiskSnapshotEncode, WritesRequiredMembersInOrderAndOptionalOnesOnlyWhenPresent) {
    DiskSnapshot s{};
    s.generatedAt = foundation::Date{12.5};
    s.volumeName = "Disk";
    s.usedFraction = 0.25;
    s.used = 1;
    s.free = 2;
    s.total = 3;
    s.topFolders = {{"a", 4}};
    EXPECT_EQ(s.encode(), std::optional<std::string>(
                              R"({"generatedAt":12.5,"volumeName":"Disk","usedFraction":0.25,"used":1,)"
                              R"("free":2,"total":3,"topFolders":[{"name":"a","size":4}],"topKinds":[]})"));

    s.areas = std::vector<DiskSnapshot::Area>{{"w", 5, {}, {{"k", 6}}}};
    s.rootName = "";
    EXPECT_EQ(s.encode(),
              std::optional<std::string>(
                  R"({"generatedAt":12.5,"volumeName":"Disk","usedFraction":0.25,"used":1,)"
                  R"("free":2,"total":3,"topFolders":[{"name":"a","size":4}],"topKinds":[],)"
                  R"("areas":[{"name":"w","total":5,"topFolders":[],"topKinds":[{"name":"k","size":6}]}],)"
                  R"("rootName":""})"));
}

TEST(DiskSnapshotEncode, ValuesWithoutJsonFormFailWholly) {
    struct Case {
        const char* what;
        std::function<void(DiskSnapshot&)> spoil;
    };
    const std::vector<Case> cases = {
        {"NaN fraction", [](DiskSnapshot& s) { s.usedFraction = std::nan(""); }},
        {"infinite fraction", [](DiskSnapshot& s) { s.usedFraction = std::numeric_limits<double>::infinity(); }},
        {"negative infinite instant",
         [](DiskSnapshot& s) { s.generatedAt = foundation::Date{-std::numeric_limits<double>::infinity()}; }},
        {"invalid UTF-8 volume name", [](DiskSnapshot& s) { s.volumeName = std::string("\xFF"); }},
        {"invalid UTF-8 in an area's item", [](DiskSnapshot& s) { (*s.areas)[0].topKinds[0].name = std::string("\xC3"); }},
        {"invalid UTF-8 root name", [](DiskSnapshot& s) { s.rootName = std::string("\xED\xA0\x80"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DiskSnapshot s = DiskSnapshot::preview();
        c.spoil(s);
        EXPECT_EQ(s.encode(), std::nullopt);
        EXPECT_EQ(s.encode(2), std::nullopt);
    }
}

TEST(DiskSnapshotRoundTrip, DecodedDocumentsEncodeToEqualValues) {
    const std::vector<std::pair<const char*, std::string>> documents = {
        {"example", brimlet_test::exampleDocument()},
        {"required members only", Doc().str()},
        {"empty areas, empty root name", Doc().set("areas", "[]").set("rootName", R"("")").str()},
        {"extremes", Doc().set("used", "-9223372036854775808")
                         .set("free", "9223372036854775807")
                         .set("usedFraction", "5e-324")
                         .set("generatedAt", "-1.7976931348623157e308")
                         .str()},
        {"awkward text",
         Doc().set("volumeName", R"("a\u0000b\"\\\u001f\u00e9\ud83d\ude00")").set("rootName", R"("\n")").str()},
        {"unknown members dropped", Doc().add("x", "[1,{\"y\":null}]").str()},
    };
    for (const auto& [what, json] : documents) {
        SCOPED_TRACE(what);
        const auto first = DiskSnapshot::decode(json);
        ASSERT_TRUE(first.has_value());
        for (int indent : {0, 2}) {
            const auto encoded = first->encode(indent);
            ASSERT_TRUE(encoded.has_value());
            const auto second = DiskSnapshot::decode(*encoded);
            ASSERT_TRUE(second.has_value()) << *encoded;
            EXPECT_TRUE(sameSnapshot(*first, *second));
            EXPECT_EQ(second->encode(indent), encoded);
        }
    }
}

TEST(DiskSnapshotRoundTrip, WithoutOptionalsWritesExactlyTheEightRequiredMembers) {
    DiskSnapshot s = DiskSnapshot::preview();
    s.areas.reset();
    s.rootName.reset();
    const auto encoded = s.encode();
    ASSERT_TRUE(encoded.has_value());
    const auto document = foundation::JsonDocument::parse(*encoded);
    ASSERT_TRUE(document.has_value());
    EXPECT_EQ(document->root().size(), 8U);
    EXPECT_FALSE(document->root().find("areas").has_value());
    EXPECT_FALSE(document->root().find("rootName").has_value());
    const auto decoded = DiskSnapshot::decode(*encoded);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_TRUE(sameSnapshot(*decoded, s));
}

// ---- The preview sample

TEST(DiskSnapshotPreview, HoldsTheSampleValues) {
    const DiskSnapshot& p = DiskSnapshot::preview();
    EXPECT_EQ(p.generatedAt.unixSeconds(), 0.0);
    EXPECT_EQ(p.volumeName, "Macintosh HD");
    EXPECT_EQ(p.usedFraction, 0.6);
    EXPECT_EQ(p.used, 556000000000);
    EXPECT_EQ(p.free, 370000000000);
    EXPECT_EQ(p.total, 926000000000);
    EXPECT_EQ(p.rootName, std::optional<std::string>("code"));

    const std::vector<DiskSnapshot::Item> folders = {{"node_modules", 48000000000},
                                                     {"Photos Library", 31000000000},
                                                     {"Downloads", 22000000000},
                                                     {"Library", 18000000000},
                                                     {"Movies", 12000000000}};
    const std::vector<DiskSnapshot::Item> kinds = {
        {"Media", 42000000000}, {"Code & dev", 38000000000}, {"Images", 25000000000}, {"Archives", 9000000000}};
    EXPECT_TRUE(brimlet_test::sameItems(p.topFolders, folders)) << testing::PrintToString(p.topFolders);
    EXPECT_TRUE(brimlet_test::sameItems(p.topKinds, kinds)) << testing::PrintToString(p.topKinds);

    ASSERT_TRUE(p.areas.has_value());
    ASSERT_EQ(p.areas->size(), 1U);
    const auto& work = (*p.areas)[0];
    EXPECT_EQ(work.name, "work");
    EXPECT_EQ(work.total, 22000000000);
    EXPECT_TRUE(brimlet_test::sameItems(work.topFolders, {{"larrow", 9000000000}, {"mebbin-app", 6000000000}}));
    EXPECT_TRUE(brimlet_test::sameItems(work.topKinds, {{"Binaries", 12000000000}, {"Code & dev", 6000000000}}));
}

TEST(DiskSnapshotPreview, RoundTripsAndEncodesItsInstantAsTheUnixEpoch) {
    const auto encoded = DiskSnapshot::preview().encode();
    ASSERT_TRUE(encoded.has_value());
    EXPECT_NE(encoded->find(R"("generatedAt":-978307200,)"), std::string::npos) << *encoded;
    const auto decoded = DiskSnapshot::decode(*encoded);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_TRUE(sameSnapshot(*decoded, DiskSnapshot::preview()));
}

}  // namespace
}  // namespace brimlet
