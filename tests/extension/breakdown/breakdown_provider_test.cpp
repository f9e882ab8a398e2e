#include "extension/breakdown/breakdown_provider.h"

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "extension/shared/identifiers.h"
#include "extension/shared/shared_snapshot.h"
#include "platform/foundation/file.h"
#include "platform/foundation/testing.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using brimlet_test::exampleDocument;
using brimlet_test::SharedContainer;
using foundation::Date;
using widgetkit::TimelineProviderContext;
using widgetkit::TimelineReloadPolicy;

// 2024-01-01T10:00:00Z.
constexpr Date kTenOClock{725796000};
constexpr double kSixHours = 21600;

TimelineProviderContext context(bool isPreview) {
    TimelineProviderContext c;
    c.isPreview = isPreview;
    c.family = widgetkit::WidgetFamily::systemMedium;
    c.displaySize = widgetkit::displaySize(c.family);
    return c;
}

SelectAreaIntent intentFor(const std::optional<std::string>& areaId) {
    SelectAreaIntent intent;
    if (areaId) intent.area.wrappedValue = AreaEntity{*areaId};
    return intent;
}

// Counts the opens of snapshot.json in one folder, as the kernel reports them (IN_OPEN), so the
// provider needs no seam of its own. Opens are reported synchronously with the open call, so
// once a request has delivered, its opens are queued. Closes are watched too, only so that two
// opens in a row are never coalesced into one event (the kernel merges identical successive
// events that are still unread).
class SnapshotOpens {
public:
    explicit SnapshotOpens(const std::string& folder)
        : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (fd_ >= 0) watch_ = ::inotify_add_watch(fd_, folder.c_str(), IN_OPEN | IN_CLOSE);
    }
    ~SnapshotOpens() {
        if (fd_ >= 0) ::close(fd_);
    }
    SnapshotOpens(const SnapshotOpens&) = delete;
    SnapshotOpens& operator=(const SnapshotOpens&) = delete;

    bool ready() const { return fd_ >= 0 && watch_ >= 0; }

    // The opens of the snapshot file since the last call; drains the queue.
    int drain() {
        int count = 0;
        alignas(inotify_event) std::array<char, 4096> buffer{};
        while (true) {
            const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
            if (n <= 0) break;
            for (ssize_t offset = 0; offset < n;) {
                inotify_event event{};
                std::memcpy(&event, buffer.data() + offset, sizeof event);
                const char* name = buffer.data() + offset + static_cast<ssize_t>(sizeof event);
                if ((event.mask & IN_OPEN) != 0 && event.len > 0 &&
                    std::string(name) == kSnapshotFileName) {
                    ++count;
                }
                offset += static_cast<ssize_t>(sizeof event + event.len);
            }
        }
        return count;
    }

private:
    int fd_;
    int watch_ = -1;
};

class BreakdownProviderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(opens_.ready()) << std::strerror(errno);
        opens_.drain();
    }

    void writeExample() {
        container_.write(exampleDocument());
        opens_.drain();  // the writer's own opens are not the provider's
    }

    SharedContainer container_;
    SnapshotOpens opens_{container_.container()};
    foundation::testing::ScopedClock clock_{kTenOClock};
    BreakdownProvider provider_;
};

TEST_F(BreakdownProviderTest, TheCounterSeesEveryReadOfTheFileAndNothingElse) {
    writeExample();
    EXPECT_EQ(opens_.drain(), 0);
    ASSERT_TRUE(SharedSnapshot::read().has_value());
    ASSERT_TRUE(SharedSnapshot::read().has_value());
    EXPECT_EQ(opens_.drain(), 2);
    // Another file in the same folder is not counted.
    ASSERT_EQ(foundation::writeFileAtomically(container_.container() + "/other.json", "{}"), "");
    (void)foundation::readWholeFile(container_.container() + "/other.json");
    EXPECT_EQ(opens_.drain(), 0);
}

TEST_F(BreakdownProviderTest, GallerySnapshotShowsTheSampleAndNeverOpensTheFile) {
    writeExample();
    for (const auto& area : {std::optional<std::string>{}, std::optional<std::string>{"work"}}) {
        SCOPED_TRACE(area.value_or("<no entity>"));
        const BreakdownEntry entry = provider_.snapshot(intentFor(area), context(true)).get();
        EXPECT_EQ(opens_.drain(), 0);
        EXPECT_EQ(entry.date, kTenOClock);
        ASSERT_TRUE(entry.snapshot.has_value());
        EXPECT_TRUE(brimlet_test::sameSnapshot(*entry.snapshot, DiskSnapshot::preview()));
        EXPECT_EQ(entry.areaName, area);
    }
}

TEST_F(BreakdownProviderTest, DesktopSnapshotOpensTheFileOnEveryCall) {
    writeExample();
    const auto expected = DiskSnapshot::decode(exampleDocument());
    ASSERT_TRUE(expected.has_value());
    for (int call = 0; call < 3; ++call) {
        SCOPED_TRACE(call);
        const BreakdownEntry entry = provider_.snapshot(intentFor("work"), context(false)).get();
        EXPECT_EQ(opens_.drain(), 1);
        EXPECT_EQ(entry.date, kTenOClock);
        ASSERT_TRUE(entry.snapshot.has_value());
        EXPECT_TRUE(brimlet_test::sameSnapshot(*entry.snapshot, *expected));
        EXPECT_EQ(entry.areaName, std::optional<std::string>("work"));
    }
}

TEST_F(BreakdownProviderTest, TimelineOpensTheFileAlsoInTheGallery) {
    writeExample();
    for (const bool isPreview : {false, true, false, true}) {
        SCOPED_TRACE(isPreview ? "gallery" : "desktop");
        const auto timeline = provider_.timeline(intentFor(std::nullopt), context(isPreview)).get();
        EXPECT_EQ(opens_.drain(), 1);
        ASSERT_EQ(timeline.entries.size(), 1u);
        ASSERT_TRUE(timeline.entries[0].snapshot.has_value());
        // The stored document, never the sample.
        EXPECT_EQ(timeline.entries[0].snapshot->topFolders.size(), 2u);
        EXPECT_EQ(timeline.entries[0].snapshot->used, 556'000'000'000);
    }
}

TEST_F(BreakdownProviderTest, PlaceholderIsTheSampleWithNoAreaAndOpensNothing) {
    writeExample();
    for (const bool isPreview : {false, true}) {
        SCOPED_TRACE(isPreview ? "gallery" : "desktop");
        const BreakdownEntry entry = provider_.placeholder(context(isPreview));
        EXPECT_EQ(opens_.drain(), 0);
        EXPECT_EQ(entry.date, kTenOClock);
        ASSERT_TRUE(entry.snapshot.has_value());
        EXPECT_TRUE(brimlet_test::sameSnapshot(*entry.snapshot, DiskSnapshot::preview()));
        EXPECT_EQ(entry.areaName, std::nullopt);
    }
}

TEST_F(BreakdownProviderTest, TheConfiguredEntityBecomesTheAreaName) {
    writeExample();
    struct Case {
        const char* what;
        std::optional<std::string> entity;
        std::optional<std::string> areaName;
    };
    const std::vector<Case> cases = {
        {"no entity: absent", std::nullopt, std::nullopt},
        {"the whole-disk entity: present and empty", "", ""},
        {"an area, unresolved", "work", "work"},
        {"a name no area has, passed on as it is", "gone", "gone"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const bool isPreview : {false, true}) {
            SCOPED_TRACE(isPreview ? "gallery" : "desktop");
            EXPECT_EQ(provider_.snapshot(intentFor(c.entity), context(isPreview)).get().areaName,
                      c.areaName);
            const auto timeline = provider_.timeline(intentFor(c.entity), context(isPreview)).get();
            ASSERT_EQ(timeline.entries.size(), 1u);
            EXPECT_EQ(timeline.entries[0].areaName, c.areaName);
        }
    }
}

TEST_F(BreakdownProviderTest, TimelineHasOneEntryAtNowAndReloadsSixHoursLater) {
    writeExample();
    // A clock that moves on at every reading: the entry and the reload date must come from
    // the same reading.
    double reading = kTenOClock.secondsSinceReferenceDate;
    std::vector<double> readings;
    foundation::testing::ScopedClock ticking([&] {
        readings.push_back(reading);
        reading += 7;
        return Date{readings.back()};
    });
    const auto timeline = provider_.timeline(intentFor("work"), context(false)).get();
    ASSERT_EQ(timeline.entries.size(), 1u);
    ASSERT_FALSE(readings.empty());
    const Date now = timeline.entries[0].date;
    EXPECT_EQ(now, Date{readings.front()});
    ASSERT_EQ(timeline.policy.kind(), TimelineReloadPolicy::Kind::after);
    EXPECT_EQ(timeline.policy.date().secondsSinceReferenceDate - now.secondsSinceReferenceDate,
              kSixHours);
    EXPECT_EQ(foundation::iso8601(timeline.policy.date()), "2024-01-01T16:00:00.000Z");
}

TEST_F(BreakdownProviderTest, WithoutAFileTheTimelineStillHasItsEntryAndPolicy) {
    struct Case {
        const char* what;
        std::function<void(SharedContainer&)> arrange;
    };
    const std::vector<Case> cases = {
        {"no file", [](SharedContainer& c) { c.remove(); }},
        {"a corrupt file", [](SharedContainer& c) { c.write(R"({"generatedAt": 0,)"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.arrange(container_);
        opens_.drain();
        const auto timeline = provider_.timeline(intentFor(std::nullopt), context(false)).get();
        ASSERT_EQ(timeline.entries.size(), 1u);
        EXPECT_EQ(timeline.entries[0].date, kTenOClock);
        EXPECT_FALSE(timeline.entries[0].snapshot.has_value());
        EXPECT_EQ(timeline.entries[0].areaName, std::nullopt);
        ASSERT_EQ(timeline.policy.kind(), TimelineReloadPolicy::Kind::after);
        EXPECT_EQ(timeline.policy.date(),
                  Date{kTenOClock.secondsSinceReferenceDate + kSixHours});
        // Without a file a desktop snapshot has none either.
        EXPECT_FALSE(provider_.snapshot(intentFor(""), context(false)).get().snapshot.has_value());
    }
}

TEST_F(BreakdownProviderTest, WithoutAContainerNothingIsReadAndEntriesStillCome) {
    foundation::testing::ScopedContainerRoot noDataHome("");
    const auto timeline = provider_.timeline(intentFor("work"), context(false)).get();
    ASSERT_EQ(timeline.entries.size(), 1u);
    EXPECT_FALSE(timeline.entries[0].snapshot.has_value());
    EXPECT_EQ(timeline.entries[0].areaName, std::optional<std::string>("work"));
    EXPECT_EQ(opens_.drain(), 0);
}

}  // namespace
}  // namespace brimlet
