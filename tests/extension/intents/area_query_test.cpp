#include "extension/intents/area_entity.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using brimlet_test::areaJson;
using brimlet_test::Doc;
using brimlet_test::SharedContainer;

// "é" precomposed (U+00E9) and decomposed (e + U+0301).
const std::string kPrecomposed = "caf\xC3\xA9";
const std::string kDecomposed = "cafe\xCC\x81";

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// A snapshot document with areas named `names` (JSON string texts) and an optional root name.
std::string snapshotWithAreas(const std::vector<std::string>& names,
                              const std::optional<std::string>& rootNameJson) {
    std::string areas = "[";
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) areas += ",";
        areas += areaJson(names[i]);
    }
    Doc doc;
    doc.set("areas", areas + "]");
    if (rootNameJson) doc.set("rootName", *rootNameJson);
    return doc.str();
}

std::vector<std::string> ids(const std::vector<AreaEntity>& entities) {
    std::vector<std::string> out;
    for (const auto& e : entities) out.push_back(e.id);
    return out;
}

std::vector<std::string> titles(const std::vector<AreaEntity>& entities) {
    std::vector<std::string> out;
    for (const auto& e : entities) out.push_back(e.displayRepresentation().title.resolved());
    return out;
}

using Ids = std::vector<std::string>;

TEST(AreaQuery, WithoutASnapshotOffersOnlyTheWholeDisk) {
    struct Case {
        const char* what;
        std::function<void(SharedContainer&)> arrange;
    };
    const std::vector<Case> cases = {
        {"no file", [](SharedContainer&) {}},
        {"corrupt file", [](SharedContainer& c) { c.write(R"({"generatedAt":)"); }},
        {"a required member missing", [](SharedContainer& c) { c.write(Doc().remove("used").str()); }},
        {"a directory in the file's place",
         [](SharedContainer& c) { std::filesystem::create_directory(c.snapshotPath()); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SharedContainer container;
        c.arrange(container);
        const AreaQuery query;
        const auto suggested = query.suggestedEntities().get();
        EXPECT_EQ(ids(suggested), Ids{""});
        EXPECT_EQ(titles(suggested), Ids{"Everything"});
        EXPECT_EQ(ids(query.entities({"work", "", "Everything", "x"}).get()), (Ids{"", "", "", ""}));
        EXPECT_EQ(ids(query.results().get()), Ids{""});
        const auto preselected = query.defaultResult().get();
        ASSERT_TRUE(preselected.has_value());
        EXPECT_EQ(preselected->id, "");
    }
}

TEST(AreaQuery, WithoutAContainerOffersOnlyTheWholeDisk) {
    foundation::testing::ScopedContainerRoot noDataHome("");
    const AreaQuery query;
    EXPECT_EQ(ids(query.suggestedEntities().get()), Ids{""});
    EXPECT_EQ(ids(query.entities({"a"}).get()), Ids{""});
    EXPECT_EQ(AreaEntity{}.displayRepresentation().title.resolved(), "Everything");
    ASSERT_TRUE(query.defaultResult().get().has_value());
}

TEST(AreaQuery, SuggestsTheWholeDiskThenEveryAreaInOrder) {
    struct Case {
        const char* what;
        std::vector<std::string> areaNames;  // JSON texts
        std::optional<std::string> rootName;  // JSON text
        Ids expectedIds;
        Ids expectedTitles;
    };
    const std::vector<Case> cases = {
        {"areas A, B and root R", {quoted("A"), quoted("B")}, quoted("R"), {"", "A", "B"},
         {"All of R", "A", "B"}},
        {"no root name", {quoted("A")}, std::nullopt, {"", "A"}, {"Everything", "A"}},
        {"null root name", {quoted("A")}, "null", {"", "A"}, {"Everything", "A"}},
        {"empty root name", {}, quoted(""), {""}, {"All of "}},
        {"an area with an empty name", {quoted("A"), quoted("")}, quoted("R"), {"", "A", ""},
         {"All of R", "A", "All of R"}},
        {"duplicate names kept", {quoted("B"), quoted("A"), quoted("B")}, std::nullopt,
         {"", "B", "A", "B"}, {"Everything", "B", "A", "B"}},
        {"names kept as spelled", {quoted(kDecomposed), quoted(" work ")}, quoted(kPrecomposed),
         {"", kDecomposed, " work "}, {"All of " + kPrecomposed, kDecomposed, " work "}},
        {"placeholder text in names shown verbatim", {quoted("50%@ done")}, quoted("%@"),
         {"", "50%@ done"}, {"All of %@", "50%@ done"}},
        {"escaped NUL kept whole", {R"("a\u0000b")"}, std::nullopt, {"", std::string("a\0b", 3)},
         {"Everything", std::string("a\0b", 3)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SharedContainer container;
        container.write(snapshotWithAreas(c.areaNames, c.rootName));
        const auto suggested = AreaQuery{}.suggestedEntities().get();
        EXPECT_EQ(ids(suggested), c.expectedIds);
        EXPECT_EQ(titles(suggested), c.expectedTitles);
        // results() is the suggestions.
        EXPECT_EQ(ids(AreaQuery{}.results().get()), c.expectedIds);
        // The preselected entity is always the whole disk.
        const auto preselected = AreaEntity::defaultQuery().defaultResult().get();
        ASSERT_TRUE(preselected.has_value());
        EXPECT_EQ(preselected->id, "");
    }
}

TEST(AreaQuery, SnapshotWithoutAreasOffersOnlyTheWholeDisk) {
    SharedContainer container;
    container.write(Doc().set("rootName", quoted("R")).str());
    EXPECT_EQ(ids(AreaQuery{}.suggestedEntities().get()), Ids{""});
    EXPECT_EQ(ids(AreaQuery{}.entities({"R"}).get()), Ids{""});
    EXPECT_EQ(AreaEntity{}.displayRepresentation().title.resolved(), "All of R");
}

TEST(AreaQuery, ResolvesIdentifiersToThemselvesOrTheWholeDisk) {
    struct Case {
        const char* what;
        std::vector<std::string> areaNames;  // JSON texts
        Ids identifiers;
        Ids expected;
    };
    const std::vector<Case> cases = {
        {"known, unknown and empty", {quoted("A"), quoted("B")}, {"B", "X", ""}, {"B", "", ""}},
        {"no identifiers", {quoted("A")}, {}, {}},
        {"repeated identifiers", {quoted("A")}, {"A", "A", "Z", "A"}, {"A", "A", "", "A"}},
        {"case differs", {quoted("work")}, {"Work", "WORK"}, {"", ""}},
        {"no trimming", {quoted("work")}, {"work ", " work"}, {"", ""}},
        {"area with an empty name: empty resolves to itself", {quoted("A"), quoted("")}, {"", "A"},
         {"", "A"}},
        {"decomposed identifier, precomposed area", {quoted(kPrecomposed)}, {kDecomposed}, {kDecomposed}},
        {"precomposed identifier, decomposed area", {quoted(kDecomposed)}, {kPrecomposed}, {kPrecomposed}},
        {"escaped precomposed area", {R"("caf\u00e9")"}, {kDecomposed, kPrecomposed},
         {kDecomposed, kPrecomposed}},
        {"accent missing", {quoted(kPrecomposed)}, {"cafe"}, {""}},
        {"NUL: no cut at the NUL", {R"("a\u0000b")"}, {"a", std::string("a\0b", 3)},
         {"", std::string("a\0b", 3)}},
        {"identifier with a NUL, area without", {quoted("a")}, {std::string("a\0", 2)}, {""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SharedContainer container;
        container.write(snapshotWithAreas(c.areaNames, std::nullopt));
        EXPECT_EQ(ids(AreaQuery{}.entities(c.identifiers).get()), c.expected);
    }
}

TEST(AreaQuery, FollowsTheFileFromCallToCall) {
    SharedContainer container;
    container.write(snapshotWithAreas({quoted("old")}, quoted("R1")));
    const AreaQuery query;
    EXPECT_EQ(ids(query.suggestedEntities().get()), (Ids{"", "old"}));
    EXPECT_EQ(ids(query.entities({"old"}).get()), Ids{"old"});

    container.write(snapshotWithAreas({quoted("new")}, quoted("R2")));
    EXPECT_EQ(ids(query.suggestedEntities().get()), (Ids{"", "new"}));
    EXPECT_EQ(ids(query.entities({"old", "new"}).get()), (Ids{"", "new"}));
    EXPECT_EQ(AreaEntity{}.displayRepresentation().title.resolved(), "All of R2");

    container.remove();
    EXPECT_EQ(ids(query.entities({"new"}).get()), Ids{""});
    EXPECT_EQ(AreaEntity{}.displayRepresentation().title.resolved(), "Everything");
}

TEST(AreaEntity, PresentationAndDefaults) {
    SharedContainer container;
    container.write(snapshotWithAreas({quoted("work")}, quoted("code")));

    EXPECT_EQ(AreaEntity::typeDisplayRepresentation().name.resolved(), "Folder");

    for (const std::string id : {"", "work", "not an area"}) {
        SCOPED_TRACE("id: " + id);
        const auto representation = AreaEntity{id}.displayRepresentation();
        EXPECT_FALSE(representation.subtitle.has_value());
        EXPECT_FALSE(representation.image.has_value());
        // Verbatim: interpolated into an empty pattern, never looked up as a key.
        EXPECT_EQ(representation.title.key(), "%@");
        ASSERT_EQ(representation.title.arguments().size(), 1U);
        EXPECT_EQ(representation.title.resolved(), id.empty() ? "All of code" : id);
    }

    // An area entity's title never reads the file: it stands even when the file is gone.
    container.remove();
    EXPECT_EQ(AreaEntity{"work"}.displayRepresentation().title.resolved(), "work");
}

}  // namespace
}  // namespace brimlet
