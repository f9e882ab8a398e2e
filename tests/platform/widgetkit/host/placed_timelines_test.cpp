// The live host's model driven through a scripted provider and a clock the test moves.

#include "platform/widgetkit/host/placed_timelines.h"
#include "platform/widgetkit/host/timeline_schedule.h"

#include <gtest/gtest.h>

#include <tuple>

#include "tests/platform/widgetkit/host/fake_widget.h"

namespace widgetkit::host {
namespace {

using namespace testing;

class PlacedTimelinesTest : public ::testing::Test {
protected:
    PlacedTimelinesTest() : widgets_{fakeWidget(script_)}, model_(widgets_) {}

    void script(std::function<AnyTimeline(double now)> answer) {
        const std::lock_guard lock(script_->mutex);
        script_->next = [this, answer](const ParameterValue&) { return answer(now_); };
    }

    // Answers a ticket with what the provider says, received at `now`.
    bool answerAt(const PlacedTimelines::Ticket& t, double now) {
        return model_.finish(t.id, t.generation, answer(RequestKind::timeline, t.request), at(now));
    }

    // Starts what is due at `now`, answers every ticket at once, and returns the ids asked.
    std::vector<std::string> runAt(double now) {
        now_ = now;
        std::vector<std::string> asked;
        for (auto& t : model_.start(at(now))) {
            asked.push_back(t.id);
            answerAt(t, now);
        }
        return asked;
    }

    double showingDate(const std::string& id, double now) {
        const auto shown = model_.shown(id, at(now));
        return shown.entry ? shown.entry->date.secondsSinceReferenceDate : -1e300;
    }

    std::shared_ptr<Script> script_ = std::make_shared<Script>();
    TupleWidget widgets_;
    PlacedTimelines model_;
    double now_ = 0;
};

TEST_F(PlacedTimelinesTest,
       NewTileShowsThePlaceholderThenEntriesAtTheirDatesAndKeepsThemOnAFailure) {
    script([](double now) {
        return timelineOf({entryAt(now), entryAt(now + 60), entryAt(now + 120)},
                          TimelineReloadPolicy::never());
    });
    model_.follow({placedFake("1")});
    EXPECT_FALSE(model_.shown("1", at(0)).live);
    EXPECT_EQ(showingDate("1", 0), -1);  // the placeholder
    EXPECT_FALSE(model_.settled(at(0)));

    EXPECT_EQ(runAt(1000), std::vector<std::string>{"1"});
    EXPECT_TRUE(model_.settled(at(1000)));
    EXPECT_EQ(showingDate("1", 1000), 1000);
    EXPECT_EQ(secondsOf(model_.nextMoment(at(1000))), 1060);
    EXPECT_EQ(showingDate("1", 1060), 1060);
    EXPECT_EQ(showingDate("1", 5000), 1120);
    // The switches asked nothing, and with `never` nothing is due at all after the last one.
    EXPECT_TRUE(runAt(1060).empty());
    EXPECT_TRUE(runAt(1120).empty());
    EXPECT_EQ(model_.nextMoment(at(1120)), std::nullopt);
    EXPECT_EQ(script_->timelineCalls, 1);

    // A request that fails keeps what the tile shows, and is tried again after the floor.
    const auto before = model_.shown("1", at(2000));
    model_.reload("1");
    const auto tickets = model_.start(at(2000));
    ASSERT_EQ(tickets.size(), 1u);
    EXPECT_FALSE(model_.finish("1", tickets[0].generation, std::nullopt, at(2000)));
    const auto after = model_.shown("1", at(2000));
    EXPECT_EQ(std::tuple(after.entry, after.revision), std::tuple(before.entry, before.revision));
    EXPECT_EQ(secondsOf(model_.nextMoment(at(2000))), 2000 + kMinimumReloadInterval);
}

// A reload asked one second ahead waits five minutes from the request, each time: a date already
// past takes the same floor (see PolicyReload).
TEST_F(PlacedTimelinesTest, ConstantReloadsAreHeldToTheFloor) {
    script([](double now) {
        return timelineOf({entryAt(now)}, TimelineReloadPolicy::after(at(now + 1)));
    });
    model_.follow({placedFake("1")});
    for (double now = 20000; now < 21000; now += kMinimumReloadInterval) {
        ASSERT_EQ(runAt(now), std::vector<std::string>{"1"});
        EXPECT_EQ(secondsOf(model_.nextMoment(at(now))), now + kMinimumReloadInterval);
    }
}

TEST_F(PlacedTimelinesTest, BurstOfEventsGivesOneRequestPerWidget) {
    model_.follow({placedFake("1"), placedFake("2"), placedFake("3")});
    const auto first = model_.start(at(0));
    ASSERT_EQ(first.size(), 3u);
    // Events while the requests are in flight start nothing now...
    for (int i = 0; i < 10; ++i) model_.reloadAll();
    model_.reload("2");
    EXPECT_TRUE(model_.start(at(1)).empty());
    for (const auto& t : first) answerAt(t, 1);
    // ...and one each once they are back, since they may have read what the events replaced.
    EXPECT_EQ(runAt(2), (std::vector<std::string>{"1", "2", "3"}));
    for (int i = 0; i < 10; ++i) model_.reloadAll();
    EXPECT_EQ(runAt(3), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_TRUE(runAt(4).empty());
    EXPECT_EQ(script_->timelineCalls, 3 + 3 + 3);
}

TEST_F(PlacedTimelinesTest, FollowsTheStore) {
    script([](double) { return timelineOf({entryAt(0)}, TimelineReloadPolicy::never()); });
    EXPECT_TRUE(model_.follow({placedFake("1"), placedFake("2")}));
    EXPECT_EQ(runAt(0).size(), 2u);
    EXPECT_FALSE(model_.follow({placedFake("1"), placedFake("2")}));
    EXPECT_TRUE(runAt(1).empty());

    // An area changed while its request is in flight: that answer is dropped and the widget is
    // asked again for its new area; a widget removed meanwhile drops its answer too.
    model_.reloadAll();
    const auto inFlight = model_.start(at(2));
    ASSERT_EQ(inFlight.size(), 2u);
    EXPECT_TRUE(model_.follow({placedFake("1", "work")}));
    for (const auto& t : inFlight) EXPECT_FALSE(answerAt(t, 3));
    ASSERT_EQ(model_.tiles().size(), 1u);
    const auto again = model_.start(at(3));
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].request.parameter.entityId, std::optional<std::string>("work"));

    // Store order is tile order; an unknown kind or family becomes a tile that is never asked.
    PlacedWidget stranger{"9", "org.example.gone", WidgetFamily::systemSmall, std::nullopt};
    PlacedWidget tooLarge{"8", kFakeKind, WidgetFamily::systemLarge, std::nullopt};
    EXPECT_TRUE(model_.follow({stranger, tooLarge, placedFake("1", "work")}));
    EXPECT_FALSE(model_.tiles()[0].problem.empty());
    EXPECT_NE(model_.tiles()[1].problem.find("does not support"), std::string::npos);
    EXPECT_EQ(model_.tiles()[2].placed.id, "1");
    model_.reloadAll();
    EXPECT_TRUE(model_.start(at(4)).empty());  // "1" is still in flight
    EXPECT_EQ(model_.shown("9", at(4)).entry, nullptr);
}

}  // namespace
}  // namespace widgetkit::host
