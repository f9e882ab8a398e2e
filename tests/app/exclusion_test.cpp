#include "app/exclusion.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "app/scan.h"
#include "tests/app/scan_testing.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using brimlet_test::FixedWorld;
using brimlet_test::TempTree;

const std::string kValidTag = std::string(kCacheTagSignature) + "\n# a cache, made by hand\n";

struct Entry {
    std::string path;    // below the scanned folder
    std::size_t bytes;   // file data; ignored where `content` or `linkTo` is given
    bool leftOut;        // by the exclusions of ExcludedEntriesCountNowhere
    std::string content = {};
    std::string linkTo = {};
};

// Every kind of entry an exclusion can meet, with whether the patterns below and the cache tags
// leave it out.
const std::vector<Entry>& sampleEntries() {
    static const std::vector<Entry> entries = {
        {"keep/a.txt", 8 << 10, false},
        {"keep/build/out.o", 16 << 10, true},  // "*.o" by name, two levels down
        {"keep/build/deep/notes.md", 4 << 10, false},
        {"node_modules/pkg/index.js", 32 << 10, true},  // the folder by name
        {"src/node_modules/x.js", 12 << 10, true},      // the same name deeper
        {"src/main.cpp", 4 << 10, false},
        {"src/a.txt", 4 << 10, true},       // "src/*.txt" by path
        {"src/sub/b.txt", 4 << 10, false},  // "*" never matches a '/'
        {"tmp.log", 4 << 10, true},         // the absolute pattern
        {"logs/tmp.log", 8 << 10, false},   // which is anchored at the root
        {"cache/blob.bin", 64 << 10, true},
        {"cache/CACHEDIR.TAG", 0, true, kValidTag},
        {"cache/inner/more.bin", 8 << 10, true},
        {"fake-cache/song.mp3", 20 << 10, false},
        {"fake-cache/CACHEDIR.TAG", 0, false, "Signature: 8a477f597d28d172789f06886806bc5X"},
        {"short-cache/CACHEDIR.TAG", 0, false, "Signature: 8a477f"},
        {"short-cache/data.bin", 4 << 10, false},
        {"linked-cache/CACHEDIR.TAG", 0, false, {}, "../cache/CACHEDIR.TAG"},
        {"linked-cache/data.bin", 4 << 10, false},
    };
    return entries;
}

void build(const TempTree& t, const std::string& root, bool withLeftOut) {
    for (const Entry& e : sampleEntries()) {
        if (e.leftOut && !withLeftOut) continue;
        const std::string path = root + "/" + e.path;
        t.folder(path.substr(0, path.rfind('/')));
        if (!e.linkTo.empty()) {
            t.symlink(e.linkTo, path);
        } else if (!e.content.empty()) {
            const int fd = ::open(t.path(path).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            ASSERT_GE(fd, 0);
            ASSERT_EQ(::write(fd, e.content.data(), e.content.size()),
                      static_cast<ssize_t>(e.content.size()));
            ::close(fd);
        } else {
            t.file(path, e.bytes);
        }
    }
}

// Scanning the full tree with exclusions gives exactly the scan of a tree that never held what
// they leave out: sizes, counts, kinds, the biggest folders and the default areas. (A small
// folder's own blocks do not depend on how many entries it lists.)
TEST(Exclusion, ExcludedEntriesCountNowhere) {
    TempTree t;
    build(t, "full/r", true);
    build(t, "without/r", false);
    const FixedWorld world;
    ScanRequest request{t.path("full/r"), {}, 8, 0};
    request.exclude = {"node_modules", "*.o", "src/*.txt", t.path("full/r") + "/tmp.log"};
    request.excludeCaches = true;
    for (unsigned threads : {1u, 4u}) {
        SCOPED_TRACE(threads);
        request.threads = threads;
        const ScanResult excluded = runScan(planScan(request));
        const ScanResult reference = runScan(planScan(ScanRequest{t.path("without/r"), {}, 8, 0}));
        EXPECT_TRUE(brimlet_test::sameSnapshot(excluded.snapshot, reference.snapshot));
        EXPECT_EQ(excluded.tree.root().size, reference.tree.root().size);
        EXPECT_EQ(excluded.tree.files(), reference.tree.files());
        EXPECT_EQ(excluded.tree.folders(), reference.tree.folders());
        EXPECT_EQ(excluded.tree.find("cache"), nullptr);
        EXPECT_EQ(excluded.tree.find("src/node_modules"), nullptr);
    }
    // Without the options everything counts.
    const ScanResult all = runScan(planScan(ScanRequest{t.path("full/r"), {}, 8, 0}));
    EXPECT_NE(all.tree.find("cache"), nullptr);
    EXPECT_EQ(all.tree.files(), static_cast<std::int64_t>(sampleEntries().size()));
}

TEST(Exclusion, ScannedFolderHoldingATagIsStillScanned) {
    TempTree t;
    t.folder("r/sub");
    t.file("r/sub/data.bin", 8 << 10);
    build(t, "r", true);
    const FixedWorld world;
    const std::string tag = t.path("r/CACHEDIR.TAG");
    const int fd = ::open(tag.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, kValidTag.data(), kValidTag.size()),
              static_cast<ssize_t>(kValidTag.size()));
    ::close(fd);
    ScanRequest request{t.path("r"), {}, 8, 0};
    request.excludeCaches = true;
    const ScanResult result = runScan(planScan(request));
    EXPECT_NE(result.tree.find("sub"), nullptr);
    EXPECT_EQ(result.tree.find("cache"), nullptr);
}

TEST(Exclusion, PlanRejectsPatternsThatCannotMeanAnything) {
    TempTree t;
    t.folder("scan-root/work/cache");
    t.folder("scan-root/tmp");
    const int fd = ::open(t.path("scan-root/work/cache/CACHEDIR.TAG").c_str(),
                          O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, kValidTag.data(), kValidTag.size()),
              static_cast<ssize_t>(kValidTag.size()));
    ::close(fd);
    const std::string root = t.path("scan-root");
    struct Case {
        const char* label;
        std::vector<std::string> exclude;
        std::vector<std::string> areas;
        bool caches;
        bool accepted;
        Exclusions::Pattern planned = {};  // the first pattern, where accepted
    };
    const Case cases[] = {
        {"empty pattern", {""}, {}, false, false},
        {"the root's name", {"scan-root"}, {}, false, false},
        {"a glob matching the root's name", {"scan-*"}, {}, false, false},
        {"everything", {"*"}, {}, false, false},
        {"dot", {"."}, {}, false, false},
        {"dot slash", {".//"}, {}, false, false},
        {"the root's path", {root}, {}, false, false},
        {"the root's path with a slash", {root + "/"}, {}, false, false},
        {"absolute outside the root", {t.path("elsewhere")}, {}, false, false},
        {"second pattern bad", {"tmp", ""}, {}, false, false},
        {"area inside an excluded folder", {"work"}, {"work/cache"}, false, false},
        {"area that is excluded", {"cache"}, {"work/cache"}, false, false},
        {"area inside a cache", {}, {"work/cache"}, true, false},
        {"part of the root's name", {"scan"}, {}, false, true, {"scan", false}},
        {"absolute inside the root", {root + "/tmp/"}, {"work/cache"}, false, true, {"tmp", true}},
        {"below the root by ./", {"././/work/*"}, {}, false, true, {"work/*", true}},
        {"area in a cache, caches kept", {}, {"work/cache"}, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ScanRequest request{root, c.areas, 8, 0};
        request.exclude = c.exclude;
        request.excludeCaches = c.caches;
        try {
            const ScanPlan plan = planScan(request);
            EXPECT_TRUE(c.accepted);
            if (!c.exclude.empty()) {
                ASSERT_EQ(plan.exclusions.patterns.size(), c.exclude.size());
                EXPECT_EQ(plan.exclusions.patterns[0].glob, c.planned.glob);
                EXPECT_EQ(plan.exclusions.patterns[0].anchored, c.planned.anchored);
            }
        } catch (const ScanError& e) {
            EXPECT_FALSE(c.accepted) << e.what();
            EXPECT_EQ(e.exitStatus(), 2) << e.what();
        }
    }
}

}  // namespace
}  // namespace brimlet
