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
#include "tests/support/scratch.h"

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
        {{"place", "nosuch", "--family", "small"}, "unknown widget 'nosuch'"},
        {{"place", "fullness", "--family", "large"}, "Disk Space supports small and medium"},
        {{"timeline", "breakdown", "--family", "small"}, "Disk Breakdown supports medium and large"},
        {{"snapshot", "fullness", "--family", "huge"}, "unknown family 'huge'"},
        {{"timeline", "org.brimlet.Brimlet.fullness", "--area", ""}, "--area"},
        {{"timeline", "--placed", "7"}, "'7'"},
        {{"configure", "7", "--area", "work"}, "'7'"},
        {{"timeline", "breakdown", "--bogus"}, "--bogus"},
        {{"timeline", "breakdown", "--area", "\xff"}, "not valid UTF-8"},
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
    EXPECT_FALSE(std::filesystem::exists(storePath()));  // none of them placed anything
}

// A placed widget keeps the area chosen for it across runs; an area the snapshot no longer
// holds is answered as the whole disk (the empty id) while the store keeps the choice.
TEST_F(HostTest, APlacedWidgetKeepsItsAreaAcrossRuns) {
    container_.write(exampleDocument());
    const std::string id = place("breakdown", "large");
    EXPECT_EQ(placedAreaName("snapshot", id), std::nullopt);  // no entity yet
    ASSERT_EQ(run({"configure", id, "--area", "work"}).status, 0);
    EXPECT_EQ(placedAreaName("timeline", id), std::optional<std::string>("work"));
    const Outcome listed = run({"placed", "--json"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    const auto document = JsonDocument::parse("{\"placed\":" + listed.out + "}");
    ASSERT_TRUE(document.has_value()) << listed.out;
    const auto placed = objectsIn(document->root(), "placed");
    ASSERT_EQ(placed.size(), 1u);
    for (const auto& [member, value] : {std::pair{"id", id}, {"kind", "org.brimlet.Brimlet.breakdown"},
                                        {"family", "large"}, {"area", "work"}}) {
        EXPECT_EQ(stringMember(placed[0], member), std::optional<std::string>(value)) << member;
    }
    container_.write(Doc().set("areas", "[]").set("rootName", "\"code\"").str());
    EXPECT_EQ(placedAreaName("snapshot", id), std::optional<std::string>(""));
    container_.remove();
    EXPECT_EQ(placedAreaName("timeline", id), std::optional<std::string>(""));
    EXPECT_NE(foundation::readWholeFile(storePath()).value_or("").find("\"work\""),
              std::string::npos);
}

TEST_F(HostTest, AnAdHocAreaIsPassedOnUnresolvedWithANoteWhenNothingMatches) {
    container_.write(exampleDocument());
    for (const std::string area : {"gone", "work", ""}) {
        SCOPED_TRACE(area);
        const Outcome o = run({"snapshot", "breakdown", "--area", area});
        ASSERT_EQ(o.status, 0) << o.err;
        const auto document = JsonDocument::parse(o.out);
        ASSERT_TRUE(document.has_value());
        const auto entries = objectsIn(document->root(), "entries");
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(stringMember(entries[0], "areaName"), std::optional<std::string>(area));
        if (area == "gone") {
            expectOneLine(o);
            EXPECT_NE(o.err.find("'gone'"), std::string::npos) << o.err;
        } else {
            EXPECT_EQ(o.err, "");
        }
    }
}

// Configure takes only what the picker offers now (the whole disk, then each area as "All of"
// the root name and the areas) and leaves the store as it was otherwise, listing the offers.
TEST_F(HostTest, ConfigureTakesOnlyWhatThePickerOffersNow) {
    container_.write(exampleDocument());
    const std::string fullness = place("fullness", "small");
    const std::string id = place("breakdown", "large");
    const auto before = foundation::readWholeFile(storePath());
    for (const Args& args : {Args{"configure", id, "--area", "gone"}, Args{"configure", id, "--area", "Work"},
                             Args{"configure", fullness, "--area", "work"}}) {
        SCOPED_TRACE(joined(args));
        const Outcome o = run(args);
        EXPECT_EQ(o.status, 2);
        expectOneLine(o);
        EXPECT_NE(o.err.find(args[1] == id ? "\"work\"" : "Disk Space"), std::string::npos) << o.err;
        EXPECT_EQ(foundation::readWholeFile(storePath()), before);
    }
    EXPECT_EQ(run({"configure", id, "--area", ""}).status, 0);
    EXPECT_EQ(run({"configure", id, "--area", "work"}).status, 0);
    const auto areas = runJson({"areas", "--json"});
    ASSERT_TRUE(areas.has_value());
    const auto entities = objectsIn(areas->root(), "entities");
    ASSERT_EQ(entities.size(), 2u);
    EXPECT_EQ(stringMember(entities[0], "title"), std::optional<std::string>("All of code"));
    EXPECT_EQ(stringMember(entities[1], "id"), std::optional<std::string>("work"));
}

// A store the host cannot trust is exit 1 with one line naming the file, and is left as it is;
// a widget of a kind the bundle no longer has fails only the commands that use it.
TEST_F(HostTest, AStoreAtFaultIsExitOneAndLeftUntouched) {
    std::filesystem::create_directories(state_.path() + "/brimlet-widgets");
    const Args placed{"placed", "--json"}, add{"place", "breakdown", "--family", "medium"},
        configure{"configure", "1", "--area", ""}, remove{"remove", "1"},
        timeline{"timeline", "--placed", "1"}, render{"render", "--placed", "1", "-o", state_ / "x.png"};
    const std::string fullness = R"({"id": "1", "kind": "org.brimlet.Brimlet.fullness", "family": "small"})";
    const std::vector<std::pair<std::string, std::vector<Args>>> cases = {
        {R"({"nextId": 2, "widgets": [{"id": "1")", {placed, add, configure, remove, timeline}},
         {R"({"nextId": 2, "widgets": [)" + fullness + "," + fullness + "]}", {placed, add, remove, render}},
         {R"({"nextId": 2, "widgets": [{"id": "1", "kind": "org.example.gone", "family": "small"}]})",
          {timeline, render, configure}},
    };
    for (const auto& [store, commands] : cases) {
        ASSERT_EQ(foundation::writeFileAtomically(storePath(), store), "");
        for (const Args& args : commands) {
            SCOPED_TRACE(store + " " + joined(args));
            const Outcome o = run(args);
            EXPECT_EQ(o.status, 1);
            EXPECT_EQ(o.out, "");
            expectOneLine(o);
            EXPECT_NE(o.err.find(storePath()), std::string::npos) << o.err;
            if (&store == &cases.back().first) {
                EXPECT_NE(o.err.find("widget 1"), std::string::npos) << o.err;
            }
            EXPECT_EQ(foundation::readWholeFile(storePath()), std::optional<std::string>(store));
        }
    }
}

TEST_F(HostTest, ANewIdIsAboveEveryStoredIdWhateverNextIdSays) {
    std::filesystem::create_directories(state_.path() + "/brimlet-widgets");
    const std::string behind = R"({"nextId": 1, "widgets": [)"
        R"({"id": "1", "kind": "org.brimlet.Brimlet.fullness", "family": "small"},)"
        R"({"id": "5", "kind": "org.brimlet.Brimlet.fullness", "family": "small"}]})";
    ASSERT_EQ(foundation::writeFileAtomically(storePath(), behind), "");
    EXPECT_EQ(place("fullness", "small"), "6");
    EXPECT_EQ(run({"remove", "6"}).status, 0);
    EXPECT_EQ(place("fullness", "small"), "7");  // never reused, even after a removal
}

TEST_F(HostTest, VersionPicturesOnStandardOutputAndJoinedPaths) {
    const Outcome version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "brimlet-widgets " + std::string(foundation::projectVersion()) + "\n");
    const Outcome png = run({"render", "fullness", "-o", "-"});
    EXPECT_EQ(png.status, 0) << png.err;
    EXPECT_EQ(png.out.substr(0, 8), "\x89PNG\r\n\x1a\n");
    const Outcome json = run({"render", "fullness", "--format", "json", "-o", "-"});
    EXPECT_TRUE(JsonDocument::parse(json.out).has_value()) << json.err;
    const Outcome gallery = run({"gallery", "-o", state_.path() + "/pictures/"});
    EXPECT_EQ(gallery.status, 0) << gallery.err;
    EXPECT_NE(gallery.out.find(state_.path() + "/pictures/index.html"), std::string::npos);
    EXPECT_EQ(gallery.out.find("//"), std::string::npos) << gallery.out;
    EXPECT_TRUE(std::filesystem::exists(state_.path() + "/pictures/fullness-small.png"));
}

// A timeline reloads after its one entry (fullness half an hour on, the breakdown six hours
// on); a single request has one entry and no policy.
TEST_F(HostTest, TimelinesReloadAfterTheirEntryAndSingleRequestsHaveNoPolicy) {
    container_.write(exampleDocument());
    for (const auto& [widget, after] : {std::pair{"fullness", "2024-01-01T10:30:00.000Z"},
                                        {"breakdown", "2024-01-01T16:00:00.000Z"}}) {
        SCOPED_TRACE(widget);
        const auto timeline = runJson({"timeline", widget});
        ASSERT_TRUE(timeline.has_value());
        const auto entries = objectsIn(timeline->root(), "entries");
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(stringMember(entries[0], "date"), foundation::iso8601(kTenOClock));
        const auto policy = timeline->root().member("policy");
        ASSERT_TRUE(policy && policy->object());
        EXPECT_EQ(stringMember(*policy->object(), "after"), after);
        for (const char* request : {"placeholder", "snapshot"}) {
            const auto single = runJson({request, widget});
            ASSERT_TRUE(single.has_value());
            EXPECT_EQ(objectsIn(single->root(), "entries").size(), 1u);
            EXPECT_FALSE(single->root().find("policy").has_value());
        }
    }
}

}  // namespace
}  // namespace brimlet
