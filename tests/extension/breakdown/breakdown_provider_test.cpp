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
        container_.write(exampleDocument());
        opens_.drain();  // the writer's own opens are not the provider's
    }

    SharedContainer container_;
    SnapshotOpens opens_{container_.container()};
    foundation::testing::ScopedClock clock_{kTenOClock};
    BreakdownProvider provider_;
};

TEST_F(BreakdownProviderTest, TheCounterSeesEveryReadOfTheFileAndNothingElse) {
    ASSERT_TRUE(SharedSnapshot::read().has_value());
    ASSERT_TRUE(SharedSnapshot::read().has_value());
    ASSERT_EQ(foundation::writeFileAtomically(container_.container() + "/other.json", "{}"), "");
    (void)foundation::readWholeFile(container_.container() + "/other.json");
    EXPECT_EQ(opens_.drain(), 2);
}

// The gallery's snapshot and every placeholder show the sample without reading the file; a
// desktop snapshot and every timeline (gallery too) read the stored document, at every call.
TEST_F(BreakdownProviderTest, OnlyTheGallerysSnapshotAndPlaceholdersSkipTheFile) {
    const auto stored = DiskSnapshot::decode(exampleDocument());
    ASSERT_TRUE(stored.has_value());
    using Request = std::function<BreakdownEntry(BreakdownProvider&, bool)>;
    struct Case {
        const char* what;
        Request request;
        bool readsOnTheDesktop;
        bool readsInTheGallery;
    };
    const std::vector<Case> cases = {
        {"snapshot", [](BreakdownProvider& p, bool preview) {
             return p.snapshot(intentFor("work"), context(preview)).get(); }, true, false},
        {"placeholder", [](BreakdownProvider& p, bool preview) {
             return p.placeholder(context(preview)); }, false, false},
        {"timeline", [](BreakdownProvider& p, bool preview) {
             return p.timeline(intentFor("work"), context(preview)).get().entries.at(0); }, true, true},
    };
    for (const auto& c : cases) {
        for (const bool isPreview : {true, false, true}) {
            SCOPED_TRACE(std::string(c.what) + (isPreview ? " in the gallery" : " on the desktop"));
            const bool reads = isPreview ? c.readsInTheGallery : c.readsOnTheDesktop;
            const BreakdownEntry entry = c.request(provider_, isPreview);
            EXPECT_EQ(opens_.drain(), reads ? 1 : 0);
            EXPECT_EQ(entry.date, kTenOClock);
            ASSERT_TRUE(entry.snapshot.has_value());
            EXPECT_TRUE(brimlet_test::sameSnapshot(*entry.snapshot,
                                                   reads ? *stored : DiskSnapshot::preview()));
        }
    }
}

TEST_F(BreakdownProviderTest, TheConfiguredEntityBecomesTheAreaName) {
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
        for (const bool isPreview : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (isPreview ? " in the gallery" : " on the desktop"));
            EXPECT_EQ(provider_.snapshot(intentFor(c.entity), context(isPreview)).get().areaName,
                      c.areaName);
            const auto timeline = provider_.timeline(intentFor(c.entity), context(isPreview)).get();
            ASSERT_EQ(timeline.entries.size(), 1u);
            EXPECT_EQ(timeline.entries[0].areaName, c.areaName);
        }
    }
    EXPECT_EQ(provider_.placeholder(context(false)).areaName, std::nullopt);
}

// One entry at now, the next reload six hours on, both from one reading of a clock that moves;
// the same without a file, with a corrupt one, or without a container at all.
TEST_F(BreakdownProviderTest, TimelineHasOneEntryAtNowAndReloadsSixHoursLater) {
    double reading = kTenOClock.secondsSinceReferenceDate;
    foundation::testing::ScopedClock ticking([&] {
        reading += 7;
        return Date{reading - 7};
    });
    const std::vector<std::function<void()>> arrangements = {
        [] {},
        [&] { container_.remove(); },
        [&] { container_.write(R"({"generatedAt": 0,)"); },
        [] {},
    };
    for (std::size_t i = 0; i < arrangements.size(); ++i) {
        SCOPED_TRACE(i);
        arrangements[i]();
        std::optional<foundation::testing::ScopedContainerRoot> noDataHome;
        if (i == 3) noDataHome.emplace("");
        opens_.drain();
        const double before = reading;
        const auto timeline = provider_.timeline(intentFor("work"), context(false)).get();
        ASSERT_EQ(timeline.entries.size(), 1u);
        EXPECT_EQ(timeline.entries[0].snapshot.has_value(), i == 0);
        EXPECT_EQ(timeline.entries[0].areaName, std::optional<std::string>("work"));
        EXPECT_EQ(timeline.entries[0].date, Date{before});
        ASSERT_EQ(timeline.policy.kind(), TimelineReloadPolicy::Kind::after);
        EXPECT_EQ(timeline.policy.date(), Date{before + kSixHours});
        // No file, nothing to open; no container, nothing looked for.
        EXPECT_EQ(opens_.drain(), i == 0 || i == 2 ? 1 : 0);
        if (i > 0) { EXPECT_FALSE(provider_.snapshot(intentFor(""), context(false)).get().snapshot.has_value()); }
    }
}

}  // namespace
}  // namespace brimlet
