// The widget host run in process over the real bundle, with a scratch state folder for placed
// widgets and a scratch shared container for the snapshot. What the picker offers is the area
// query's test; the host lists its offers.

#include "platform/widgetkit/host/host.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "extension/entry/bundle.h"
#include "platform/foundation/file.h"
#include "platform/foundation/json_reader.h"
#include "platform/foundation/json_writer.h"
#include "platform/foundation/testing.h"
#include "platform/foundation/version.h"
#include "tests/extension/shared/snapshot_testing.h"
#include "tests/support/hostile_names.h"
#include "tests/support/scratch.h"

namespace brimlet {
namespace {

using brimlet_test::exampleDocument;
using foundation::JsonDocument;
using Args = std::vector<std::string>;
using Text = std::optional<std::string>;

struct Outcome {
    int status = -1;
    std::string out, err;
};

// A string member of the first entry of a request's answer; nullopt when absent.
Text entryMember(const std::string& json, std::string_view name) {
    const auto document = JsonDocument::parse(json);
    const auto entries = document ? document->root().member("entries") : std::nullopt;
    const auto array = entries ? entries->array() : std::nullopt;
    const auto first = array && array->size() > 0 ? (*array->begin()).object() : std::nullopt;
    EXPECT_TRUE(first.has_value()) << json;
    const auto value = first ? first->member(name) : std::nullopt;
    return value && value->string() ? Text(*value->string()) : std::nullopt;
}

void expectOneLine(const Outcome& o) {
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    EXPECT_EQ(o.err.empty() ? '\0' : o.err.back(), '\n');
}

class HostTest : public ::testing::Test {
protected:
    // Runs the host; with `fullOutput`, standard output refuses every byte, as /dev/full does.
    Outcome run(Args args, bool fullOutput = false) {
        args.insert(args.begin(), "brimlet-widgets");
        std::ostringstream out, err;
        std::ostream full(nullptr);
        const int status = widgetkit::host::run(widgets_, args, fullOutput ? full : out, err);
        return Outcome{status, out.str(), err.str()};
    }

    std::string place(const std::string& widget, const std::string& family) {
        const Outcome o = run({"place", widget, "--family", family});
        EXPECT_EQ(o.status, 0) << o.err;
        return o.out.substr(0, o.out.find('\n'));
    }

    Text areaNameOf(const Args& request) { return entryMember(run(request).out, "areaName"); }

    std::string storePath() const { return state_.path() + "/brimlet-widgets/placed.json"; }

    brimlet_test::ScratchDir state_;
    brimlet_test::ScopedEnv stateHome_{"XDG_STATE_HOME", state_.path()};
    brimlet_test::SharedContainer container_;
    // 2024-01-01T10:00:00Z.
    foundation::testing::ScopedClock clock_{foundation::Date{725796000}};
    const widgetkit::TupleWidget widgets_ = BrimletWidgetBundle{}.body();
};

// Every bad argument is exit 2 with one line saying what is wrong, and changes nothing: among them
// a family a widget is not offered in (the message names the ones it is) and configuring the
// fullness widget, which has nothing to configure. Configure takes only what the picker offers
// now, and lists the offers otherwise.
TEST_F(HostTest, BadArgumentsExitTwoWithOneClearLineAndChangeNothing) {
    container_.write(exampleDocument());
    const std::string fullness = place("fullness", "small"), id = place("breakdown", "large");
    const auto before = foundation::readWholeFile(storePath());
    const std::vector<std::pair<Args, const char*>> cases = {
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{}, "brimlet-widgets"},
        {{"place", "nosuch", "--family", "small"}, "unknown widget 'nosuch'"},
        {{"place", "fullness", "--family", "large"}, "Disk Space supports small and medium"},
        {{"timeline", "breakdown", "--family", "small"},
         "Disk Breakdown supports medium and large"},
        {{"snapshot", "fullness", "--family", "huge"}, "unknown family 'huge'"},
        {{"place", "fullness", "--family", ""}, "\"\" is not a family"},
        {{"render", "fullness", "--scale", "NaN", "-o", "-"}, "'NaN'"},
        {{"render", "fullness", "--scale", "0", "-o", "-"}, "'0'"},
        {{"gallery", "-o", ""}, "-o: an empty path"},
        {{"timeline", "org.brimlet.Brimlet.fullness", "--area", ""}, "--area"},
        {{"timeline", "--placed", "7"}, "'7'"},
        {{"timeline", "breakdown", "--bogus"}, "--bogus"},
        {{"timeline", "breakdown", "--area", "\xff"}, "not valid UTF-8"},
        {{"configure", id, "--area", "gone"}, "\"\" (All of code), \"work\""},
        {{"configure", id, "--area", "\xff"}, "UTF-8"},
        {{"configure", fullness, "--area", "work"}, "Disk Space"},
    };
    for (const auto& [args, says] : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const Outcome o = run(args);
        EXPECT_EQ(std::to_string(o.status) + o.out, "2");
        expectOneLine(o);
        EXPECT_NE(o.err.find(says), std::string::npos) << o.err;
        EXPECT_EQ(foundation::readWholeFile(storePath()), before);
    }
}

// A command whose answer cannot be written (standard output on a full disk) is exit 1 with one
// line, and place, configure and remove leave the store as it was.
TEST_F(HostTest, AnAnswerThatCannotBeWrittenChangesNothing) {
    container_.write(exampleDocument());
    const std::string id = place("breakdown", "large");
    const auto before = foundation::readWholeFile(storePath());
    for (const Args& args : {Args{"place", "fullness", "--family", "small"},
                             Args{"configure", id, "--area", "work"}, Args{"remove", id}}) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const Outcome o = run(args, true);
        EXPECT_EQ(o.status, 1);
        expectOneLine(o);
        EXPECT_NE(o.err.find("cannot write to standard output; "), std::string::npos) << o.err;
        EXPECT_EQ(foundation::readWholeFile(storePath()), before);
    }
    EXPECT_EQ(place("fullness", "small"), std::to_string(std::stoi(id) + 1));
}

// Names from the snapshot and the arguments reach the terminal escaped, in the lists and in every
// message: no control byte, DEL or bidirectional control survives, and each message is one line.
// A JSON answer names it as JSON does.
TEST_F(HostTest, HostileNamesAreWrittenEscapedOnOneLine) {
    const std::string name =
        brimlet_test::kHostileName.substr(0, brimlet_test::kHostileName.size() - 1);
    const std::string escaped =
        brimlet_test::kHostileNameEscaped.substr(0, brimlet_test::kHostileNameEscaped.size() - 4);
    foundation::JsonWriter json;
    json.value(name);
    container_.write(brimlet_test::Doc()
                         .set("areas", "[" + brimlet_test::areaJson(*json.result()) + "]")
                         .set("rootName", "\"code\"")
                         .str());
    const std::string id = place("breakdown", "large");
    const Outcome offered = run({"configure", id, "--area", "gone"});
    const std::vector<Outcome> outcomes = {
        run({"areas"}),
        run({"configure", id, "--area", name}),
        run({"placed"}),
        offered,
        run({"configure", name, "--area", name}),
        run({"snapshot", "breakdown", "--area", name + "x"}),
        run({"render", "breakdown", "-o", state_.path() + "/" + name + ".gif"})};
    for (const Outcome& o : outcomes) {
        SCOPED_TRACE(o.out + o.err);
        EXPECT_NE((o.out + o.err).find(escaped), std::string::npos);
        // JSON answers stay JSON: its writer escapes the C0 controls and nothing else.
        for (const std::string& text : {o.out.starts_with("{") ? "" : o.out, o.err}) {
            std::istringstream lines(text);
            for (std::string line; std::getline(lines, line);) {
                EXPECT_TRUE(brimlet_test::inert(line)) << line;
            }
        }
        if (!o.err.empty()) expectOneLine(o);
    }
    EXPECT_EQ(offered.status, 2);
}

// An ad hoc area is passed on unresolved, with a note when nothing matches. A placed widget keeps
// the area chosen for it across runs; an area the snapshot no longer holds is answered as the
// whole disk (the empty id) while the store keeps the choice.
TEST_F(HostTest, AdHocAreasArePassedOnAPlacedWidgetKeepsItsAreaAcrossRuns) {
    container_.write(exampleDocument());
    for (const std::string area : {"gone", "work", ""}) {
        const Outcome o = run({"snapshot", "breakdown", "--area", area});
        EXPECT_EQ(entryMember(o.out, "areaName"), area);
        if (area == "gone") {
            expectOneLine(o);
        } else {
            EXPECT_EQ(o.err, "");
        }
        EXPECT_EQ(o.err.find("'gone'") != std::string::npos, area == "gone") << o.err;
    }
    const std::string id = place("breakdown", "large");
    EXPECT_EQ(areaNameOf({"snapshot", "--placed", id}), std::nullopt);  // no entity yet
    EXPECT_EQ(run({"configure", id, "--area", ""}).status, 0);
    EXPECT_EQ(run({"configure", id, "--area", "work"}).status, 0);
    EXPECT_EQ(areaNameOf({"timeline", "--placed", id}), Text("work"));
    container_.write(brimlet_test::Doc().set("areas", "[]").set("rootName", "\"code\"").str());
    EXPECT_EQ(areaNameOf({"snapshot", "--placed", id}), Text(""));
    EXPECT_NE(run({"placed", "--json"}).out.find("\"area\": \"work\""), std::string::npos);
}

// A store the host cannot trust is exit 1 with one line naming the file, and is left as it is;
// a widget of a kind the bundle no longer has fails only the commands that use it.
TEST_F(HostTest, AStoreAtFaultIsExitOneAndLeftUntouched) {
    const Args placed{"placed", "--json"}, add{"place", "breakdown", "--family", "medium"},
        remove{"remove", "1"}, configure{"configure", "1", "--area", ""},
        timeline{"timeline", "--placed", "1"},
        render{"render", "--placed", "1", "-o", state_ / "x.png"};
    const std::vector<std::pair<std::string, std::vector<Args>>> cases = {
        {R"({"nextId": 2, "widgets": [{"id": "1")", {placed, add, configure, remove, timeline}},
        {R"({"nextId": 2, "widgets": [{"id": "1", "kind": "org.example.gone", "family": "small"}]})",
         {timeline, render, configure}}};
    std::filesystem::create_directories(state_ / "brimlet-widgets");
    for (const auto& [store, commands] : cases) {
        ASSERT_TRUE(foundation::writeFileAtomically(storePath(), store).ok());
        for (const Args& args : commands) {
            SCOPED_TRACE(store + ::testing::PrintToString(args));
            const Outcome o = run(args);
            EXPECT_EQ(std::to_string(o.status) + o.out, "1");
            expectOneLine(o);
            EXPECT_NE(o.err.find(storePath()), std::string::npos) << o.err;
            EXPECT_TRUE(&store != &cases.back().first ||
                        o.err.find("widget 1") != std::string::npos);
            EXPECT_EQ(foundation::readWholeFile(storePath()), Text(store));
        }
    }
}

// --version, render -o - and gallery paths joined without "//"; a timeline reloads after its one
// entry (fullness half an hour on, the breakdown six hours on); a single request has no policy.
TEST_F(HostTest, StandardOutputCarriesTheVersionPicturesAndTimelinesWithTheirReload) {
    const Outcome version = run({"--version"});
    EXPECT_EQ(version.out, "brimlet-widgets " + std::string(foundation::projectVersion()) + "\n");
    EXPECT_EQ(run({"render", "fullness", "-o", "-"}).out.substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_TRUE(JsonDocument::parse(run({"render", "fullness", "--format", "json", "-o", "-"}).out)
                    .has_value());
    const Outcome gallery = run({"gallery", "-o", state_.path() + "/pictures/"});
    EXPECT_EQ(gallery.status, 0) << gallery.err;
    EXPECT_NE(gallery.out.find(state_.path() + "/pictures/index.html"), std::string::npos);
    EXPECT_EQ(gallery.out.find("//"), std::string::npos) << gallery.out;
    EXPECT_TRUE(std::filesystem::exists(state_.path() + "/pictures/fullness-small.png"));
    container_.write(exampleDocument());
    for (const auto& [widget, after] : {std::pair{"fullness", "2024-01-01T10:30:00.000Z"},
                                        {"breakdown", "2024-01-01T16:00:00.000Z"}}) {
        const Outcome timeline = run({"timeline", widget});
        EXPECT_EQ(entryMember(timeline.out, "date"), Text("2024-01-01T10:00:00.000Z"));
        EXPECT_NE(timeline.out.find("\"policy\": {\n    \"after\": \"" + std::string(after)),
                  std::string::npos)
            << timeline.out;
        for (const char* request : {"placeholder", "snapshot"}) {
            const Outcome single = run({request, widget});
            EXPECT_TRUE(entryMember(single.out, "date").has_value());
            EXPECT_EQ(single.out.find("policy"), std::string::npos) << single.out;
        }
    }
}

}  // namespace
}  // namespace brimlet
