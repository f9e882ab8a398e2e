// Run under ThreadSanitizer: readers, area queries and the breakdown provider on several threads
// while the containing app replaces the snapshot file by rename; and the live host's requests
// against the real bundle with the fullness probe hanging as statvfs does on a dead network home
// (through the volume-query seam). Reloads while a request hangs are the request threads' own test,
// with a provider that blocks.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "extension/breakdown/breakdown_provider.h"
#include "extension/entry/bundle.h"
#include "extension/intents/area_entity.h"
#include "extension/shared/identifiers.h"
#include "extension/shared/shared_snapshot.h"
#include "platform/foundation/testing.h"
#include "platform/widgetkit/host/placed_timelines.h"
#include "platform/widgetkit/host/request_threads.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using namespace std::chrono_literals;
using foundation::Date;
using widgetkit::host::AnswerInbox;
using widgetkit::host::PlacedTimelines;
using widgetkit::host::PlacedWidget;

constexpr std::int64_t kGiB = std::int64_t{1} << 30;

// A generation's document: `count` areas named "<tag>0".."<tag>N-1", the volume and the root named
// <tag>, and enough folders to make a torn read likely to cut it if the write were not atomic.
std::string generation(const std::string& tag, int count) {
    std::string areas;
    for (int i = 0; i < count; ++i) {
        areas += "," + brimlet_test::areaJson("\"" + tag + std::to_string(i) + "\"");
    }
    std::string folders;
    for (int i = 0; i < 400; ++i) {
        folders += R"(,{"name":")" + tag + "-" + std::to_string(i) + R"(","size":1})";
    }
    return brimlet_test::Doc()
        .set("volumeName", "\"" + tag + "\"")
        .set("topFolders", "[" + folders.substr(1) + "]")
        .set("areas", "[" + areas.substr(1) + "]")
        .set("rootName", "\"" + tag + "\"")
        .str();
}

TEST(SharedSnapshotConcurrency, ReadersQueriesAndProvidersSeeWholeSnapshotsWhileTheFileIsReplaced) {
    constexpr Date kTenOClock{725796000}, kSixHoursLater{725796000 + 21600};
    const foundation::testing::ScopedClock clock(kTenOClock);
    const brimlet_test::SharedContainer container;
    const std::string a = generation("a", 3);
    const std::string b = generation("b", 5);
    container.write(a);
    const auto wholeA = DiskSnapshot::decode(a), wholeB = DiskSnapshot::decode(b);
    ASSERT_TRUE(wholeA && wholeB);

    std::atomic<bool> writing{true};
    std::atomic<int> failures{0};
    std::vector<std::jthread> threads;
    threads.emplace_back([&] {
        for (int i = 0; i < 30; ++i) {
            const auto& next = i % 2 ? a : b;
            if (!foundation::writeFileAtomically(container.snapshotPath(), next).ok()) ++failures;
        }
        writing = false;
    });
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&] {
            do {
                const auto s = SharedSnapshot::read();
                using brimlet_test::sameSnapshot;
                if (!s || !(sameSnapshot(*s, *wholeA) || sameSnapshot(*s, *wholeB))) {
                    ++failures;
                }
            } while (writing);
        });
    }
    threads.emplace_back([&] {
        const AreaQuery query;
        do {
            // Suggestions: the whole disk, then all areas of one generation.
            const auto suggested = query.suggestedEntities().get();
            const bool allOfA = suggested.size() == 4 && suggested[3].id == "a2";
            const bool allOfB = suggested.size() == 6 && suggested[5].id == "b4";
            if (suggested.empty() || !suggested[0].id.empty() || !(allOfA || allOfB)) ++failures;
            // Resolution: each identifier is either itself or the whole disk, from one generation.
            const auto resolved = query.entities({"a1", "b1"}).get();
            const bool fromA =
                resolved.size() == 2 && resolved[0].id == "a1" && resolved[1].id.empty();
            const bool fromB =
                resolved.size() == 2 && resolved[0].id.empty() && resolved[1].id == "b1";
            if (!(fromA || fromB)) ++failures;
            const auto title = AreaEntity{}.displayRepresentation().title.resolved();
            if (title != "All of a" && title != "All of b") ++failures;
        } while (writing);
    });
    // The breakdown provider in the gallery and for a widget pinned to "a1": one entry at now, of
    // one generation (the area a1 of a, the whole disk titled b of b), reloading six hours on.
    for (const bool pinned : {false, true}) {
        threads.emplace_back([&, pinned] {
            SelectAreaIntent intent;
            if (pinned) intent.area.wrappedValue = AreaEntity{"a1"};
            const auto family = widgetkit::WidgetFamily::systemLarge;
            const widgetkit::TimelineProviderContext context{!pinned, family,
                                                             widgetkit::displaySize(family)};
            const auto areaName = pinned ? std::optional<std::string>("a1") : std::nullopt;
            // Twenty timelines at least, so that the two threads overlap whatever the writer's
            // pace.
            for (int i = 0; i < 20 || writing; ++i) {
                const auto timeline = BreakdownProvider{}.timeline(intent, context).get();
                const BreakdownEntry* entry =
                    timeline.entries.size() == 1 ? &timeline.entries[0] : nullptr;
                const auto resolved = entry ? entry->resolved() : std::nullopt;
                const bool ok =
                    resolved && entry->date == kTenOClock && entry->areaName == areaName &&
                    (resolved->title == "b" || resolved->title == (pinned ? "a1" : "a")) &&
                    timeline.policy.kind() == widgetkit::TimelineReloadPolicy::Kind::after &&
                    timeline.policy.date() == kSixHoursLater;
                if (!ok) ++failures;
            }
        });
    }
    threads.clear();  // joins
    EXPECT_EQ(failures.load(), 0);
}

TEST(DeskRequests, HangingVolumeQueryHoldsOnlyItsOwnTile) {
    std::promise<void> unblock;
    // Started before any request thread and outliving every one that reads it (see the end).
    foundation::testing::ScopedVolumeQuery hanging(
        [unblocked = unblock.get_future().share()](const std::string&) {
            unblocked.wait();
            return std::optional<foundation::VolumeFigures>(
                foundation::VolumeFigures{100 * kGiB, 5 * kGiB, std::nullopt, "Data"});
        });
    foundation::testing::ScopedContainerRoot noContainer("");

    const widgetkit::TupleWidget widgets =
        BrimletWidgetBundle{}.body();  // the model holds a reference
    PlacedTimelines model(widgets);
    const std::string kinds(kBundleIdentifier);
    model.follow(
        {PlacedWidget{"1", kinds + ".fullness", widgetkit::WidgetFamily::systemSmall, {}},
         PlacedWidget{"2", kinds + ".breakdown", widgetkit::WidgetFamily::systemMedium, {}}});
    auto inbox = std::make_shared<AnswerInbox>([] {});
    // Waits for at least one answer; the limit only keeps a hung request from hanging the test.
    const auto collect = [&] {
        auto all = inbox->take();
        for (int i = 0; i < 500 && all.empty(); ++i) {
            std::this_thread::sleep_for(10ms);
            all = inbox->take();
        }
        return all;
    };

    const Date start = Date::now();
    for (auto& ticket : model.start(start)) widgetkit::host::startRequest(std::move(ticket), inbox);
    auto answers = collect();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].id, "2");  // the breakdown tile answers; the fullness one hangs
    unblock.set_value();
    answers = collect();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].id, "1");
    ASSERT_TRUE(
        model.finish(answers[0].id, answers[0].generation, std::move(answers[0].timeline), start));
    // The late answer is the volume's reading, not the placeholder's.
    foundation::JsonWriter json;
    model.shown("1", start).entry->writeJson(json);
    const auto text = json.result();
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("\"free\":" + std::to_string(5 * kGiB)), std::string::npos) << *text;
    EXPECT_NE(text->find("\"volumeName\":\"Data\""), std::string::npos) << *text;
    // The thread has posted its answer and reads the seam no more; the overrides may end.
}

}  // namespace
}  // namespace brimlet
