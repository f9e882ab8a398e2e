// Run under ThreadSanitizer by the tsan preset: readers and area queries on several threads while
// the containing app replaces the snapshot file by rename, and the preview's first use.
#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <string>
#include <thread>
#include <vector>

#include "extension/intents/area_entity.h"
#include "extension/shared/disk_snapshot.h"
#include "extension/shared/shared_snapshot.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

// A generation's document: `count` areas named "<tag>0".."<tag>N-1", the volume and the root
// named <tag>, and enough folders to make a torn read likely to cut it if the write were not
// atomic.
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

TEST(SharedSnapshotConcurrency, ReadersAndQueriesSeeWholeSnapshotsWhileTheFileIsReplaced) {
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
            if (!foundation::writeFileAtomically(container.path(), next).ok()) ++failures;
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
    threads.clear();  // joins
    EXPECT_EQ(failures.load(), 0);
}

TEST(SharedSnapshotConcurrency, PreviewIsBuiltOnceUnderConcurrentFirstUse) {
    constexpr std::size_t kThreads = 8;
    std::barrier start(kThreads);
    std::vector<const DiskSnapshot*> seen(kThreads, nullptr);
    {
        std::vector<std::jthread> threads;
        for (std::size_t t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                start.arrive_and_wait();
                seen[t] = &DiskSnapshot::preview();
            });
        }
    }
    EXPECT_NE(seen[0], nullptr);
    for (const DiskSnapshot* s : seen) EXPECT_EQ(s, seen[0]);
}

}  // namespace
}  // namespace brimlet
