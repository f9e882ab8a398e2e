// The widget host run in process over the real bundle, with a scratch state folder for placed
// widgets and a scratch shared container for the snapshot.

#include "platform/widgetkit/host/host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "extension/entry/bundle.h"
#include "platform/foundation/file.h"
#include "platform/foundation/json_reader.h"
#include "platform/foundation/testing.h"
#include "platform/foundation/version.h"
#include "tests/extension/shared/snapshot_testing.h"
#include "tests/platform/foundation/scoped_env.h"

namespace brimlet {
namespace {

using brimlet_test::Doc;
using brimlet_test::exampleDocument;
using foundation::Date;
using foundation::JsonDocument;
using foundation::JsonObject;
using Args = std::vector<std::string>;

// 2024-01-01T10:00:00Z.
constexpr Date kTenOClock{725796000};

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string joined(const Args& args) {
    std::string text;
    for (const auto& a : args) text += (text.empty() ? "" : " ") + a;
    return text;
}

std::optional<std::string> stringMember(const JsonObject& object, std::string_view name) {
    const auto value = object.member(name);
    if (!value) return std::nullopt;
    const auto text = value->string();
    if (!text) return std::nullopt;
    return std::string(*text);
}

std::vector<JsonObject> objectsIn(const JsonObject& object, std::string_view name) {
    std::vector<JsonObject> out;
    const auto value = object.member(name);
    const auto array = value ? value->array() : std::nullopt;
    if (!array) return out;
    for (const auto element : *array) {
        if (const auto o = element.object()) out.push_back(*o);
    }
    return out;
}

class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(state_.path().empty());
        ASSERT_FALSE(container_.root().empty());
    }

    Outcome run(Args args) {
        args.insert(args.begin(), "brimlet-widgets");
        std::ostringstream out;
        std::ostringstream err;
        Outcome o;
        o.status = widgetkit::host::run(widgets_, args, out, err);
        o.out = out.str();
        o.err = err.str();
        return o;
    }

    // Runs a command that must succeed and print a JSON object; returns the parsed document.
    std::optional<JsonDocument> runJson(const Args& args) {
        const Outcome o = run(args);
        EXPECT_EQ(o.status, 0) << joined(args) << ": " << o.err;
        auto document = JsonDocument::parse(o.out);
        EXPECT_TRUE(document.has_value()) << joined(args) << " printed: " << o.out;
        return document;
    }

    // Places a widget; returns its id.
    std::string place(const std::string& widget, const std::string& family) {
        const Outcome o = run({"place", widget, "--family", family});
        EXPECT_EQ(o.status, 0) << o.err;
        EXPECT_EQ(std::count(o.out.begin(), o.out.end(), '\n'), 1) << o.out;
        std::string id = o.out;
        while (!id.empty() && id.back() == '\n') id.pop_back();
        return id;
    }

    // The areaName of the one entry of a placed widget's request, or nullopt when left out.
    std::optional<std::string> placedAreaName(const std::string& request, const std::string& id) {
        const auto document = runJson({request, "--placed", id});
        if (!document) return "<no answer>";
        const auto entries = objectsIn(document->root(), "entries");
        EXPECT_EQ(entries.size(), 1u);
        if (entries.empty()) return "<no entry>";
        return stringMember(entries[0], "areaName");
    }

    std::string storePath() const { return state_.path() + "/brimlet-widgets/placed.json"; }

    brimlet_test::ScratchDir state_;
    brimlet_test::ScopedEnv stateHome_{"XDG_STATE_HOME", state_.path()};
    brimlet_test::SharedContainer container_;
    foundation::testing::ScopedClock clock_{kTenOClock};
    foundation::testing::ScopedVolumeQuery volume_{[](const std::string&) {
        return std::optional<foundation::VolumeFigures>(
            foundation::VolumeFigures{1000, 200, std::nullopt, "Data"});
    }};
    const widgetkit::TupleWidget widgets_ = BrimletWidgetBundle{}.body();
};

void expectOneLine(const Outcome& o) {
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    EXPECT_FALSE(o.err.empty());
    if (!o.err.empty()) {
        EXPECT_EQ(o.err.back(), '\n');
    }
}

TEST_F(HostTest, BadArgumentsExitTwoWithOneClearLine) {
    struct Case {
        Args args;
        const char* says;
    };
    const std::vector<Case> cases = {
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"snapshot", "nosuch"}, "unknown widget 'nosuch'"},
        {{"place", "nosuch", "--family", "small"}, "unknown widget 'nosuch'"},
        {{"snapshot", "fullness", "--family", "large"}, "Disk Space supports small and medium"},
        {{"place", "fullness", "--family", "large"}, "Disk Space supports small and medium"},
        {{"timeline", "breakdown", "--family", "small"}, "Disk Breakdown supports medium and large"},
        {{"snapshot", "fullness", "--family", "huge"}, "unknown family 'huge'"},
        {{"snapshot", "fullness", "--area", "work"}, "--area"},
        {{"timeline", "org.brimlet.Brimlet.fullness", "--area", ""}, "--area"},
        {{"timeline", "--placed", "7"}, "'7'"},
        {{"configure", "7", "--area", "work"}, "'7'"},
        {{"timeline", "breakdown", "--bogus"}, "--bogus"},
        {{}, "brimlet-widgets"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(joined(c.args));
        const Outcome o = run(c.args);
        EXPECT_EQ(o.status, 2);
        EXPECT_EQ(o.out, "");
        expectOneLine(o);
        EXPECT_NE(o.err.find(c.says), std::string::npos) << o.err;
    }
    // None of them placed anything.
    EXPECT_FALSE(std::filesystem::exists(storePath()));
}

TEST_F(HostTest, ConfiguringAFullnessWidgetIsABadArgumentAndChangesNothing) {
    const std::string id = place("fullness", "small");
    std::string before;
    ASSERT_TRUE(foundation::readWholeFile(storePath()).has_value());
    before = *foundation::readWholeFile(storePath());
    const Outcome o = run({"configure", id, "--area", "work"});
    EXPECT_EQ(o.status, 2);
    expectOneLine(o);
    EXPECT_NE(o.err.find("Disk Space"), std::string::npos) << o.err;
    EXPECT_EQ(foundation::readWholeFile(storePath()), std::optional<std::string>(before));
}

TEST_F(HostTest, HelpExitsZero) {
    for (const Args& args : {Args{"--help"}, Args{"snapshot", "--help"}, Args{"areas", "--help"},
                             Args{"configure", "--help"}, Args{"render", "--help"}}) {
        SCOPED_TRACE(joined(args));
        const Outcome o = run(args);
        EXPECT_EQ(o.status, 0);
        EXPECT_FALSE(o.out.empty());
        EXPECT_EQ(o.err, "");
    }
}

TEST_F(HostTest, APlacedWidgetKeepsItsAreaAcrossRuns) {
    container_.write(exampleDocument());
    const std::string id = place("breakdown", "large");
    ASSERT_FALSE(id.empty());
    // Newly placed: no entity, so the area name is left out.
    EXPECT_EQ(placedAreaName("snapshot", id), std::nullopt);

    ASSERT_EQ(run({"configure", id, "--area", "work"}).status, 0);
    for (const char* request : {"snapshot", "timeline", "snapshot"}) {
        SCOPED_TRACE(request);
        EXPECT_EQ(placedAreaName(request, id), std::optional<std::string>("work"));
    }

    const Outcome listed = run({"placed", "--json"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    const auto document = JsonDocument::parse("{\"placed\":" + listed.out + "}");
    ASSERT_TRUE(document.has_value()) << listed.out;
    const auto placed = objectsIn(document->root(), "placed");
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(stringMember(placed[0], "id"), std::optional<std::string>(id));
    EXPECT_EQ(stringMember(placed[0], "kind"),
              std::optional<std::string>("org.brimlet.Brimlet.breakdown"));
    EXPECT_EQ(stringMember(placed[0], "family"), std::optional<std::string>("large"));
    EXPECT_EQ(stringMember(placed[0], "area"), std::optional<std::string>("work"));
}

TEST_F(HostTest, AStoredAreaTheSnapshotNoLongerHoldsIsAnsweredAsTheWholeDisk) {
    container_.write(exampleDocument());
    const std::string id = place("breakdown", "medium");
    ASSERT_EQ(run({"configure", id, "--area", "work"}).status, 0);
    EXPECT_EQ(placedAreaName("timeline", id), std::optional<std::string>("work"));

    // A newer scan without that area: resolved through the query, the identifier comes back as
    // the whole-disk entity, whose id is present and empty.
    container_.write(Doc().set("areas", "[]").set("rootName", "\"code\"").str());
    for (const char* request : {"snapshot", "timeline"}) {
        SCOPED_TRACE(request);
        EXPECT_EQ(placedAreaName(request, id), std::optional<std::string>(""));
    }
    // No snapshot at all resolves it the same way.
    container_.remove();
    EXPECT_EQ(placedAreaName("timeline", id), std::optional<std::string>(""));
    // The store keeps what the user chose.
    EXPECT_NE(foundation::readWholeFile(storePath()).value_or("").find("\"work\""),
              std::string::npos);
}

TEST_F(HostTest, AnAdHocAreaIsPassedOnUnresolvedWithANoteWhenNothingMatches) {
    container_.write(exampleDocument());
    for (const char* area : {"gone", "work", ""}) {
        SCOPED_TRACE(area);
        const Outcome o = run({"snapshot", "breakdown", "--area", area});
        ASSERT_EQ(o.status, 0) << o.err;
        const auto document = JsonDocument::parse(o.out);
        ASSERT_TRUE(document.has_value());
        const auto entries = objectsIn(document->root(), "entries");
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(stringMember(entries[0], "areaName"), std::optional<std::string>(area));
        if (std::string(area) == "gone") {
            expectOneLine(o);
            EXPECT_NE(o.err.find("'gone'"), std::string::npos) << o.err;
        } else {
            EXPECT_EQ(o.err, "");
        }
    }
    const Outcome bad = run({"timeline", "breakdown", "--area", "\xff"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("not valid UTF-8"), std::string::npos) << bad.err;
}

TEST_F(HostTest, ConfigureTakesOnlyWhatThePickerOffersNow) {
    container_.write(exampleDocument());
    const std::string id = place("breakdown", "large");
    const auto before = foundation::readWholeFile(storePath());
    for (const char* area : {"gone", "Work", "\xff"}) {
        SCOPED_TRACE(area);
        const Outcome o = run({"configure", id, "--area", area});
        EXPECT_EQ(o.status, 2);
        expectOneLine(o);
        EXPECT_EQ(foundation::readWholeFile(storePath()), before);
    }
    const Outcome listed = run({"configure", id, "--area", "gone"});
    EXPECT_NE(listed.err.find("\"work\""), std::string::npos) << listed.err;
    EXPECT_EQ(run({"configure", id, "--area", ""}).status, 0);
    EXPECT_EQ(run({"configure", id, "--area", "work"}).status, 0);
}

TEST_F(HostTest, AStoreAtFaultIsExitOneAndNamesTheFileAndTheWidget) {
    std::filesystem::create_directories(state_.path() + "/brimlet-widgets");
    const std::string unknownKind =
        R"({"nextId": 2, "widgets": [{"id": "1", "kind": "org.example.gone", "family": "small"}]})";
    ASSERT_EQ(foundation::writeFileAtomically(storePath(), unknownKind), "");
    for (const Args& args : {Args{"timeline", "--placed", "1"},
                             Args{"render", "--placed", "1", "-o", state_ / "x.png"},
                             Args{"configure", "1", "--area", ""}}) {
        SCOPED_TRACE(joined(args));
        const Outcome o = run(args);
        EXPECT_EQ(o.status, 1);
        expectOneLine(o);
        EXPECT_NE(o.err.find(storePath()), std::string::npos) << o.err;
        EXPECT_NE(o.err.find("widget 1"), std::string::npos) << o.err;
    }
}

TEST_F(HostTest, ANewIdIsAboveEveryStoredIdWhateverNextIdSays) {
    std::filesystem::create_directories(state_.path() + "/brimlet-widgets");
    const std::string behind = R"({"nextId": 1, "widgets": [)"
                               R"({"id": "1", "kind": "org.brimlet.Brimlet.fullness", "family": "small"},)"
                               R"({"id": "5", "kind": "org.brimlet.Brimlet.fullness", "family": "small"}]})";
    ASSERT_EQ(foundation::writeFileAtomically(storePath(), behind), "");
    EXPECT_EQ(place("fullness", "small"), "6");
    EXPECT_EQ(place("fullness", "small"), "7");
    EXPECT_EQ(run({"remove", "7"}).status, 0);
    EXPECT_EQ(place("fullness", "small"), "8");  // never reused, even after a removal
    EXPECT_EQ(run({"placed"}).status, 0);
}

TEST_F(HostTest, VersionPicturesOnStandardOutputAndJoinedPaths) {
    const Outcome version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "brimlet-widgets " + std::string(foundation::projectVersion()) + "\n");

    const Outcome png = run({"render", "fullness", "-o", "-"});
    EXPECT_EQ(png.status, 0) << png.err;
    EXPECT_EQ(png.out.substr(0, 8), "\x89PNG\r\n\x1a\n");
    const Outcome json = run({"render", "fullness", "--format", "json", "-o", "-"});
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_TRUE(JsonDocument::parse(json.out).has_value()) << json.out.substr(0, 200);
    EXPECT_EQ(run({"render", "fullness", "--format", "svg", "-o", state_ / "x.png"}).status, 2);

    const Outcome gallery = run({"gallery", "-o", state_.path() + "/pictures/"});
    EXPECT_EQ(gallery.status, 0) << gallery.err;
    EXPECT_NE(gallery.out.find(state_.path() + "/pictures/index.html"), std::string::npos);
    EXPECT_EQ(gallery.out.find("//"), std::string::npos) << gallery.out;
    EXPECT_TRUE(std::filesystem::exists(state_.path() + "/pictures/fullness-small.png"));
}

TEST_F(HostTest, ACorruptStoreIsLeftUntouchedAndNamedInTheMessage) {
    const std::string corrupt = "{\"nextId\": 2, \"widgets\": [{\"id\": \"1\"";
    std::filesystem::create_directories(state_.path() + "/brimlet-widgets");
    ASSERT_EQ(foundation::writeFileAtomically(storePath(), corrupt), "");
    for (const Args& args : {Args{"placed"}, Args{"placed", "--json"},
                             Args{"place", "breakdown", "--family", "medium"},
                             Args{"configure", "1", "--area", "work"}, Args{"remove", "1"},
                             Args{"timeline", "--placed", "1"}}) {
        SCOPED_TRACE(joined(args));
        const Outcome o = run(args);
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.out, "");
        expectOneLine(o);
        EXPECT_NE(o.err.find(storePath()), std::string::npos) << o.err;
        EXPECT_EQ(foundation::readWholeFile(storePath()), std::optional<std::string>(corrupt));
    }
}

TEST_F(HostTest, AreasListTheWholeDiskThenEachAreaOfTheSnapshot) {
    struct Option {
        std::string id;
        std::string title;
    };
    struct Case {
        const char* what;
        std::optional<std::string> document;
        std::vector<Option> entities;
        Option preselected;
    };
    const std::vector<Case> cases = {
        {"the example document", exampleDocument(), {{"", "All of code"}, {"work", "work"}},
         {"", "All of code"}},
        {"no file", std::nullopt, {{"", "Everything"}}, {"", "Everything"}},
        {"no root name", Doc().set("areas", "[]").str(), {{"", "Everything"}}, {"", "Everything"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.document) {
            container_.write(*c.document);
        } else {
            container_.remove();
        }
        const auto document = runJson({"areas", "--json"});
        ASSERT_TRUE(document.has_value());
        const JsonObject root = document->root();
        EXPECT_EQ(stringMember(root, "typeName"), std::optional<std::string>("Folder"));
        EXPECT_EQ(stringMember(root, "parameter"),
                  std::optional<std::string>("Folder (empty = whole disk)"));
        const auto preselected = root.member("default");
        ASSERT_TRUE(preselected && preselected->object());
        EXPECT_EQ(stringMember(*preselected->object(), "id"), c.preselected.id);
        EXPECT_EQ(stringMember(*preselected->object(), "title"), c.preselected.title);
        const auto entities = objectsIn(root, "entities");
        ASSERT_EQ(entities.size(), c.entities.size());
        for (std::size_t i = 0; i < entities.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(stringMember(entities[i], "id"), c.entities[i].id);
            EXPECT_EQ(stringMember(entities[i], "title"), c.entities[i].title);
        }
    }
}

TEST_F(HostTest, FullnessTimelineReloadsThirtyMinutesAfterItsEntry) {
    const auto document = runJson({"timeline", "fullness"});
    ASSERT_TRUE(document.has_value());
    const JsonObject root = document->root();
    EXPECT_EQ(stringMember(root, "kind"), std::optional<std::string>("org.brimlet.Brimlet.fullness"));
    const auto entries = objectsIn(root, "entries");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(stringMember(entries[0], "date"), foundation::iso8601(kTenOClock));
    const auto policy = root.member("policy");
    ASSERT_TRUE(policy && policy->object());
    EXPECT_EQ(stringMember(*policy->object(), "after"),
              foundation::iso8601(Date{kTenOClock.secondsSinceReferenceDate + 1800}));
    EXPECT_EQ(stringMember(*policy->object(), "after"), "2024-01-01T10:30:00.000Z");
    const auto sample = entries[0].member("sample");
    ASSERT_TRUE(sample && sample->object());
    EXPECT_EQ(stringMember(*sample->object(), "volumeName"), std::optional<std::string>("Data"));
    EXPECT_EQ(sample->object()->member("used")->int64(), std::optional<std::int64_t>(800));
}

TEST_F(HostTest, ASingleRequestHasOneEntryAndNoPolicy) {
    for (const char* request : {"placeholder", "snapshot"}) {
        for (const char* widget : {"fullness", "breakdown"}) {
            SCOPED_TRACE(std::string(request) + " " + widget);
            const auto document = runJson({request, widget});
            ASSERT_TRUE(document.has_value());
            EXPECT_EQ(objectsIn(document->root(), "entries").size(), 1u);
            EXPECT_FALSE(document->root().find("policy").has_value());
        }
    }
}

TEST_F(HostTest, BreakdownTimelineReloadsSixHoursAfterItsEntry) {
    container_.write(exampleDocument());
    const auto document = runJson({"timeline", "breakdown"});
    ASSERT_TRUE(document.has_value());
    const auto entries = objectsIn(document->root(), "entries");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(stringMember(entries[0], "date"), foundation::iso8601(kTenOClock));
    EXPECT_FALSE(entries[0].find("areaName").has_value());
    const auto snapshot = entries[0].member("snapshot");
    ASSERT_TRUE(snapshot && snapshot->object());
    EXPECT_EQ(stringMember(*snapshot->object(), "rootName"), std::optional<std::string>("code"));
    const auto policy = document->root().member("policy");
    ASSERT_TRUE(policy && policy->object());
    EXPECT_EQ(stringMember(*policy->object(), "after"), "2024-01-01T16:00:00.000Z");
}

}  // namespace
}  // namespace brimlet
