// The area picker: entities and the query read from the shared snapshot, and the configuration
// intent a host reaches them through. Titles are verbatim resources, whose substitution is
// foundation's formatting and its tests.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "extension/intents/area_entity.h"
#include "extension/intents/select_area_intent.h"
#include "platform/appintents/widget_configuration_intent.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using brimlet_test::SharedContainer;
using Ids = std::vector<std::string>;

// "é" precomposed (U+00E9) and decomposed (e + U+0301).
const std::string kPrecomposed = "caf\xC3\xA9";
const std::string kDecomposed = "cafe\xCC\x81";

// A snapshot with areas named `names` (each the text between a JSON string's quotes) and a root
// name (JSON text).
std::string withAreas(const Ids& names, const std::string& rootNameJson = "null") {
    std::string areas;
    for (const auto& name : names) {
        areas += (areas.empty() ? "" : ",") + brimlet_test::areaJson("\"" + name + "\"");
    }
    return brimlet_test::Doc().set("areas", "[" + areas + "]").set("rootName", rootNameJson).str();
}

// The entities' ids, or their titles.
Ids ids(const std::vector<AreaEntity>& entities, bool titles = false) {
    Ids out;
    for (const auto& e : entities) {
        out.push_back(titles ? e.displayRepresentation().title.resolved() : e.id);
    }
    return out;
}

TEST(AreaQuery, SuggestsTheWholeDiskFirstThenEveryAreaAsWritten) {
    struct Case {
        const char* what;
        std::optional<std::string> document;  // nullopt: no file
        Ids ids;
        Ids titles;
    };
    const Case cases[] = {
        {"no file", std::nullopt, {""}, {"Everything"}},
        {"no areas", brimlet_test::Doc().set("rootName", R"("R")").str(), {""}, {"All of R"}},
        {"areas, root, an area named \"\"",
         withAreas({"A", "B", ""}, R"("R")"),
         {"", "A", "B", ""},
         {"All of R", "A", "B", "All of R"}},
        {"no root name, duplicates kept",
         withAreas({"B", "A", "B"}),
         {"", "B", "A", "B"},
         {"Everything", "B", "A", "B"}},
        {"names kept as spelled",
         withAreas({kDecomposed, " work "}, "\"" + kPrecomposed + "\""),
         {"", kDecomposed, " work "},
         {"All of " + kPrecomposed, kDecomposed, " work "}},
        {"placeholder text shown verbatim",
         withAreas({"50%@ done"}, R"("%@")"),
         {"", "50%@ done"},
         {"All of %@", "50%@ done"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const SharedContainer container;
        if (c.document) container.write(*c.document);
        const auto query = AreaEntity::defaultQuery();
        const auto suggested = query.suggestedEntities().get();
        EXPECT_EQ(ids(suggested), c.ids);
        EXPECT_EQ(ids(suggested, /*titles=*/true), c.titles);
        EXPECT_EQ(ids(query.results().get()), c.ids);
        // The preselected entity is always the whole disk.
        EXPECT_EQ(query.defaultResult().get().value_or(AreaEntity{"none"}).id, "");
    }
}

TEST(AreaQuery, ResolvesIdentifiersToThemselvesOrTheWholeDisk) {
    struct Case {
        const char* what;
        std::optional<Ids> areaNames;  // nullopt: no file
        Ids identifiers;
        Ids expected;
    };
    const Case cases[] = {
        {"no file", std::nullopt, {"work", "", "Everything"}, {"", "", ""}},
        {"known, unknown and empty", Ids{"A", "B"}, {"B", "X", ""}, {"B", "", ""}},
        {"case and spaces count", Ids{"work"}, {"Work", "work ", " work"}, {"", "", ""}},
        {"decomposed asked, precomposed area", Ids{kPrecomposed}, {kDecomposed}, {kDecomposed}},
        {"NUL: no cut at the NUL",
         Ids{R"(a\u0000b)"},
         {"a", std::string("a\0b", 3)},
         {"", std::string("a\0b", 3)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const SharedContainer container;
        if (c.areaNames) container.write(withAreas(*c.areaNames));
        EXPECT_EQ(ids(AreaQuery{}.entities(c.identifiers).get()), c.expected);
    }
}

// The area a host sets through the configurable parameter is the host's test; the intent only
// carries it and is never performed.
TEST(SelectAreaIntent, PerformNeverAnswers) {
    EXPECT_THROW(SelectAreaIntent{}.perform().get(), appintents::IntentNotPerformable);
}

}  // namespace
}  // namespace brimlet
