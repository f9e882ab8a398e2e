// Readers and area queries on several threads while the containing app replaces the snapshot
// file by rename. Run under ThreadSanitizer by the tsan preset.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "extension/intents/area_entity.h"
#include "extension/shared/disk_snapshot.h"
#include "extension/shared/shared_snapshot.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using brimlet_test::Doc;

// A generation's document: `count` areas named "<tag>0".."<tag>N-1", the volume named <tag>, and
// enough folders to make a torn read likely to cut it if the write were not atomic.
std::string generation(const std::string& tag, int count) {
    std::string areas = "[";
    for (int i = 0; i < count; ++i) {
        if (i > 0) areas += ",";
        areas += brimlet_test::areaJson("\"" + tag + std::to_string(i) + "\"");
    }
    areas += "]";
    std::string folders = "[";
    for (int i = 0; i < 400; ++i) {
        if (i > 0) folders += ",";
        folders += R"({"name":")" + tag + "-folder-" + std::to_string(i) + R"(","size":)" +
                   std::to_string(1000 + i) + "}";
    }
    folders += "]";
    return Doc()
        .set("volumeName", "\"" + tag + "\"")
        .set("topFolders", folders)
        .set("areas", areas)
        .set("rootName", "\"" + tag + "\"")
        .str();
}

// True when `s` is exactly one of the two generations.
bool isWhole(const DiskSnapshot& s) {
    const std::string& tag = s.volumeName;
    const int count = tag == "a" ? 3 : tag == "b" ? 5 : -1;
    if (count < 0 || s.topFolders.size() != 400 || !s.areas ||
        s.areas->size() != static_cast<std::size_t>(count) || s.rootName != tag) {
        return false;
    }
    return s.topFolders.back().name == tag + "-folder-399" &&
           (*s.areas)[static_cast<std::size_t>(count - 1)].name == tag + std::to_string(count - 1);
}

TEST(SharedSnapshotConcurrency, ReadersAndQueriesSeeWholeSnapshotsWhileTheFileIsReplaced) {
    brimlet_test::SharedContainer container;
    const std::string a = generation("a", 3);
    const std::string b = generation("b", 5);
    container.write(a);

    std::atomic<bool> writing{true};
    std::atomic<int> failures{0};
    std::atomic<int> reads{0};

    std::thread writer([&] {
        for (int i = 0; i < 60; ++i) {
            if (!foundation::writeFileAtomically(container.snapshotPath(), i % 2 ? a : b).empty()) {
                ++failures;
            }
        }
        writing = false;
    });

    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t) {
        readers.emplace_back([&] {
            do {
                const auto s = SharedSnapshot::read();
                if (!s || !isWhole(*s)) ++failures;
                ++reads;
            } while (writing);
        });
    }
    std::thread querier([&] {
        const AreaQuery query;
        do {
            // Suggestions: the whole disk, then all areas of one generation.
            const auto suggested = query.suggestedEntities().get();
            const bool wholeA = suggested.size() == 4 && suggested[3].id == "a2";
            const bool wholeB = suggested.size() == 6 && suggested[5].id == "b4";
            if (suggested.empty() || !suggested[0].id.empty() || !(wholeA || wholeB)) ++failures;
            // Resolution: each identifier is either itself or the whole disk, from one generation.
            const auto resolved = query.entities({"a1", "b1"}).get();
            const bool fromA = resolved.size() == 2 && resolved[0].id == "a1" && resolved[1].id.empty();
            const bool fromB = resolved.size() == 2 && resolved[0].id.empty() && resolved[1].id == "b1";
            if (!(fromA || fromB)) ++failures;
            const auto title = AreaEntity{}.displayRepresentation().title.resolved();
            if (title != "All of a" && title != "All of b") ++failures;
        } while (writing);
    });

    writer.join();
    for (auto& r : readers) r.join();
    querier.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_GT(reads.load(), 0);
}

TEST(SharedSnapshotConcurrency, PreviewIsBuiltOnceUnderConcurrentFirstUse) {
    constexpr int kThreads = 8;
    std::atomic<int> ready{0};
    std::vector<const DiskSnapshot*> seen(kThreads, nullptr);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            ++ready;
            while (ready.load() < kThreads) std::this_thread::yield();
            seen[static_cast<std::size_t>(t)] = &DiskSnapshot::preview();
        });
    }
    for (auto& thread : threads) thread.join();
    for (const DiskSnapshot* s : seen) {
        ASSERT_EQ(s, seen[0]);
        EXPECT_EQ(s->rootName, std::optional<std::string>("code"));
        EXPECT_EQ(s->topFolders.size(), 5U);
    }
}

}  // namespace
}  // namespace brimlet
