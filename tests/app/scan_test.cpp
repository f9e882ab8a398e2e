#include "app/scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "tests/app/scan_testing.h"
#include "tests/extension/shared/snapshot_testing.h"
#include "tests/platform/foundation/scoped_env.h"

namespace brimlet {
namespace {

using brimlet_test::buildSampleTree;
using brimlet_test::FixedWorld;
using brimlet_test::kPhotoFolder;
using brimlet_test::kSampleRoot;
using brimlet_test::sameSnapshot;
using brimlet_test::TempTree;
using Item = DiskSnapshot::Item;

// Expected lists are written in any order and put in the order the snapshot promises: biggest
// first, ties by name; kinds without bytes are dropped.
std::vector<Item> ranked(std::vector<Item> items) {
    std::erase_if(items, [](const Item& i) { return i.size == 0; });
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        return a.size != b.size ? a.size > b.size : a.name < b.name;
    });
    return items;
}

// Allocated sizes of the sample tree, each read with lstat.
struct SampleSizes {
    explicit SampleSizes(const TempTree& t) {
        auto at = [&](std::initializer_list<std::string> entries) {
            std::int64_t sum = 0;
            for (const auto& e : entries)
                sum += t.allocated(kSampleRoot + (e.empty() ? "" : "/" + e));
            return sum;
        };
        video = at({"Big Folder/video.mp4"});
        notes = at({"Big Folder/nested/notes.txt"});
        nested = at({"Big Folder/nested"}) + notes;
        big = at({"Big Folder"}) + video + nested;
        photo = at({kPhotoFolder + "/photo.jpg"});
        disk = at({kPhotoFolder + "/disk.img"});
        photos = at({kPhotoFolder}) + photo + disk;
        tool = at({"small/tool"});
        symlinks = at({"small/to-big", "small/to-video"});
        small = at({"small"}) + tool + symlinks;
        first = at({"links/first.bin"});
        links = at({"links"}) + first;
        more = at({"more"});  // its hard link counts in links/, whose path sorts first
        empty = at({"empty"});
        top = at({"top.txt"});
        total = at({""}) + big + photos + small + links + more + empty + top;
    }
    std::int64_t video, notes, nested, big, photo, disk, photos, tool, symlinks, small, first,
        links, more, empty, top, total;
};

DiskSnapshot::Area area(std::string name, std::int64_t total, std::vector<Item> folders,
                        std::vector<Item> kinds) {
    return DiskSnapshot::Area{std::move(name), total, ranked(std::move(folders)),
                              ranked(std::move(kinds))};
}

TEST(Scan, SampleTreeGivesEveryFieldOfTheSnapshot) {
    TempTree t;
    buildSampleTree(t);
    const FixedWorld world;
    const SampleSizes s(t);

    const ScanResult result = runScan(planScan(ScanRequest{t.path(kSampleRoot), {}, 8, 0}));

    const std::vector<Item> rootFolders = ranked({{"Big Folder", s.big},
                                                  {kPhotoFolder, s.photos},
                                                  {"small", s.small},
                                                  {"links", s.links},
                                                  {"more", s.more},
                                                  {"empty", s.empty}});
    std::vector<DiskSnapshot::Area> areas;
    for (std::size_t i = 0; i < 5; ++i) {
        const std::string& name = rootFolders[i].name;
        if (name == "Big Folder") {
            areas.push_back(area(name, s.big, {{"nested", s.nested}},
                                 {{"Media", s.video}, {"Documents", s.notes}}));
        } else if (name == kPhotoFolder) {
            areas.push_back(area(name, s.photos, {}, {{"Images", s.photo}, {"Archives", s.disk}}));
        } else if (name == "small") {
            areas.push_back(area(name, s.small, {}, {{"Binaries", s.tool}, {"Other", s.symlinks}}));
        } else if (name == "links") {
            areas.push_back(area(name, s.links, {}, {{"Binaries", s.first}}));
        } else {
            areas.push_back(area(name, name == "more" ? s.more : s.empty, {}, {}));
        }
    }
    const DiskSnapshot expected{
        foundation::Date{FixedWorld::kNow},
        "Test Volume",
        0.8,
        800,
        200,
        1000,
        rootFolders,
        ranked({{"Media", s.video},
                {"Documents", s.notes + s.top},
                {"Images", s.photo},
                {"Archives", s.disk},
                {"Binaries", s.tool + s.first},
                {"Other", s.symlinks}}),
        areas,
        kSampleRoot,
    };
    EXPECT_TRUE(sameSnapshot(result.snapshot, expected));
    EXPECT_EQ(result.tree.root().size, s.total);
    // Nine entries that are not folders (the twice-linked file once); eight folders.
    EXPECT_EQ(result.tree.files(), 9);
    EXPECT_EQ(result.tree.folders(), 8);
    EXPECT_EQ(result.tree.skippedFolders(), 0);
    // Allocated blocks, not apparent size: the sparse 64 MiB image takes a few KiB.
    const Folder* photos = result.tree.find(kPhotoFolder);
    ASSERT_NE(photos, nullptr);
    EXPECT_LT(photos->size, 2 << 20);
}

TEST(Scan, TopLimitsEveryFolderList) {
    TempTree t;
    buildSampleTree(t);
    const FixedWorld world;
    const ScanResult result = runScan(planScan(ScanRequest{t.path(kSampleRoot), {}, 2, 0}));
    ASSERT_EQ(result.snapshot.topFolders.size(), 2u);
    EXPECT_EQ(result.snapshot.topFolders[0].name, "Big Folder");
    EXPECT_EQ(result.snapshot.topFolders[1].name, kPhotoFolder);
    ASSERT_TRUE(result.snapshot.areas.has_value());
    // The number of areas does not follow --top.
    EXPECT_EQ(result.snapshot.areas->size(), 5u);
    for (const auto& a : *result.snapshot.areas) EXPECT_LE(a.topFolders.size(), 2u) << a.name;
}

TEST(Scan, FolderTiesRankByName) {
    TempTree t;
    for (const char* name : {"delta", "alpha", "charlie", "bravo"})
        t.folder(std::string("r/") + name);
    const FixedWorld world;
    const ScanResult result = runScan(planScan(ScanRequest{t.path("r"), {}, 8, 0}));
    std::vector<std::string> names;
    for (const auto& item : result.snapshot.topFolders) names.push_back(item.name);
    EXPECT_EQ(names, (std::vector<std::string>{"alpha", "bravo", "charlie", "delta"}));
    EXPECT_TRUE(result.snapshot.topKinds.empty());
}

TEST(Scan, ExplicitAreasAreNamedByTheirPathBelowTheRoot) {
    TempTree t;
    buildSampleTree(t);
    const FixedWorld world;
    const SampleSizes s(t);
    ScanRequest request{t.path(kSampleRoot), {}, 8, 0};
    request.areas = {"Big Folder/nested", t.path(kSampleRoot + "/small"), "./Big Folder/nested/",
                     "links"};
    const ScanResult result = runScan(planScan(request));
    ASSERT_TRUE(result.snapshot.areas.has_value());
    const std::vector<DiskSnapshot::Area> expected{
        area("Big Folder/nested", s.nested, {}, {{"Documents", s.notes}}),
        area("small", s.small, {}, {{"Binaries", s.tool}, {"Other", s.symlinks}}),
        area("links", s.links, {}, {{"Binaries", s.first}}),
    };
    EXPECT_TRUE(brimlet_test::sameAreas(*result.snapshot.areas, expected))
        << ::testing::PrintToString(*result.snapshot.areas);
}

TEST(Scan, PlanRejectsRootsAndAreasItCannotUse) {
    TempTree t;
    buildSampleTree(t);
    t.symlink("..", kSampleRoot + "/up");
    const std::string root = t.path(kSampleRoot);
    struct Case {
        const char* label;
        std::optional<std::string> root;
        std::vector<std::string> areas;
        int status;
    };
    const Case cases[] = {
        {"missing root", t.path("no such folder"), {}, 1},
        {"root is a file", t.path(kSampleRoot + "/top.txt"), {}, 1},
        {"empty root", std::string(), {}, 2},
        {"missing area", root, {"nowhere"}, 1},
        {"area is a file", root, {"top.txt"}, 1},
        {"area outside", root, {t.root()}, 2},
        {"area above by ..", root, {"../"}, 2},
        {"area through a link out", root, {"up"}, 2},
        {"area is the root", root, {"."}, 2},
        {"empty area", root, {""}, 2},
        {"second area bad", root, {"small", "/"}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        try {
            planScan(ScanRequest{c.root, c.areas, 8, 0});
            ADD_FAILURE() << "no error";
        } catch (const ScanError& e) {
            EXPECT_EQ(e.exitStatus(), c.status) << e.what();
            EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos);
        }
    }
}

TEST(Scan, DefaultRootIsTheHomeFolder) {
    TempTree t;
    t.folder("home/ada");
    const brimlet_test::ScopedEnv home("HOME", t.path("home/ada"));
    const ScanPlan plan = planScan(ScanRequest{});
    char* real = ::realpath(t.path("home/ada").c_str(), nullptr);
    ASSERT_NE(real, nullptr);
    EXPECT_EQ(plan.root, real);
    std::free(real);
}

TEST(Scan, HardLinkCountsOnceTowardTheFirstPathWhateverTheThreads) {
    TempTree t;
    t.folder("r/zeta");
    t.folder("r/alpha");
    t.folder("r/mid/deeper");
    t.file("r/zeta/original.dat", 64 << 10);
    t.hardlink("r/zeta/original.dat", "r/mid/deeper/link.dat");
    t.hardlink("r/zeta/original.dat", "r/alpha/link.dat");
    const std::int64_t file = t.allocated("r/zeta/original.dat");
    for (unsigned threads : {1u, 2u, 3u, 8u}) {
        SCOPED_TRACE(threads);
        const FolderTree tree = walkTree(t.path("r"), WalkOptions{threads});
        EXPECT_EQ(tree.find("alpha")->size, t.allocated("r/alpha") + file);
        EXPECT_EQ(tree.find("zeta")->size, t.allocated("r/zeta"));
        EXPECT_EQ(tree.find("mid")->size, t.allocated({"r/mid", "r/mid/deeper"}));
        EXPECT_EQ(tree.root().size,
                  t.allocated({"r", "r/zeta", "r/alpha", "r/mid", "r/mid/deeper"}) + file);
        EXPECT_EQ(tree.files(), 1);
    }
}

TEST(Scan, SymbolicLinksAreNeverFollowed) {
    TempTree t;
    t.folder("r/real");
    t.file("r/real/data.bin", 256 << 10);
    t.symlink("real", "r/loop-to-real");
    t.symlink(".", "r/self");
    t.symlink(t.root(), "r/outside");
    const FolderTree tree = walkTree(t.path("r"));
    EXPECT_EQ(tree.root().size, t.allocated({"r", "r/real", "r/real/data.bin", "r/loop-to-real",
                                             "r/self", "r/outside"}));
    EXPECT_EQ(tree.folders(), 2);
    EXPECT_EQ(tree.find("loop-to-real"), nullptr);
}

TEST(Scan, WalksTreesDeeperThanPathMax) {
    TempTree t;
    t.folder("r");
    // 40 levels of 120-byte names: about 4,800 bytes of path, beyond PATH_MAX (4096).
    const std::string name(120, 'n');
    int at = ::open(t.path("r").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(at, 0);
    for (int level = 0; level < 40; ++level) {
        ASSERT_EQ(::mkdirat(at, name.c_str(), 0755), 0);
        const int next = ::openat(at, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(at);
        ASSERT_GE(next, 0);
        at = next;
    }
    const int fd = ::openat(at, "bottom.mp3", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    const std::string data(10000, 'm');
    ASSERT_EQ(::write(fd, data.data(), data.size()), static_cast<ssize_t>(data.size()));
    struct stat bottom {};
    ASSERT_EQ(::fstat(fd, &bottom), 0);
    ::close(fd);
    ::close(at);

    const FolderTree tree = walkTree(t.path("r"), WalkOptions{2});
    EXPECT_EQ(tree.folders(), 41);
    EXPECT_EQ(tree.skippedFolders(), 0);
    EXPECT_EQ(tree.files(), 1);
    EXPECT_EQ(tree.root().kinds[static_cast<std::size_t>(FileKind::media)],
              static_cast<std::int64_t>(bottom.st_blocks) * 512);
}

TEST(Scan, UnreadableFolderIsSkippedAndCounted) {
    TempTree t;
    buildSampleTree(t);
    const FixedWorld world;
    const SampleSizes s(t);
    const std::string refused = t.path(kSampleRoot + "/small");
    const brimlet_test::FaultyEnvironment refusing(
        [&](const std::string& path) { return path == refused ? EACCES : 0; });
    ScanPlan plan = planScan(ScanRequest{t.path(kSampleRoot), {}, 8, 0});
    plan.environment = &refusing;
    const ScanResult result = runScan(plan);
    EXPECT_EQ(result.tree.skippedFolders(), 1);
    const Folder* small = result.tree.find("small");
    ASSERT_NE(small, nullptr);
    EXPECT_TRUE(small->skipped);
    // Its own blocks still count, its contents do not.
    EXPECT_EQ(small->size, t.allocated(kSampleRoot + "/small"));
    EXPECT_EQ(result.tree.root().size, s.total - s.tool - s.symlinks);
    const auto& kinds = result.snapshot.topKinds;
    const auto binaries = std::find_if(kinds.begin(), kinds.end(),
                                       [](const Item& i) { return i.name == "Binaries"; });
    ASSERT_NE(binaries, kinds.end());
    EXPECT_EQ(binaries->size, s.first);
}

TEST(Scan, NamesThatAreNotUtf8StillMakeAValidDocument) {
    TempTree t;
    t.folder("r/bad\xFFname");
    t.file("r/bad\xFFname/x.txt", 4096);
    const FixedWorld world;
    const ScanResult result = runScan(planScan(ScanRequest{t.path("r"), {}, 8, 0}));
    ASSERT_EQ(result.snapshot.topFolders.size(), 1u);
    EXPECT_EQ(result.snapshot.topFolders[0].name, "bad\xEF\xBF\xBDname");
    const auto document = result.snapshot.encode();
    ASSERT_TRUE(document.has_value());
    const auto decoded = DiskSnapshot::decode(*document);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_TRUE(sameSnapshot(*decoded, result.snapshot));
}

TEST(Scan, UnopenableRootOrFailingVolumeQueryFailsTheScan) {
    TempTree t;
    t.folder("r");
    {
        const FixedWorld world;
        ScanPlan plan = planScan(ScanRequest{t.path("r"), {}, 8, 0});
        const brimlet_test::FaultyEnvironment refusing(
            [&](const std::string& path) { return path == plan.root ? EACCES : 0; });
        plan.environment = &refusing;
        try {
            runScan(plan);
            ADD_FAILURE() << "no error";
        } catch (const ScanError& e) {
            EXPECT_EQ(e.exitStatus(), 1);
            EXPECT_NE(std::string(e.what()).find(plan.root), std::string::npos) << e.what();
        }
    }
    for (const bool failQuery : {true, false}) {
        SCOPED_TRACE(failQuery ? "query fails" : "total 0");
        const foundation::testing::ScopedVolumeQuery volume([&](const std::string&) {
            return failQuery
                       ? std::nullopt
                       : std::optional(foundation::VolumeFigures{0, 10, 10, std::string("V")});
        });
        EXPECT_THROW(runScan(planScan(ScanRequest{t.path("r"), {}, 8, 0})), ScanError);
    }
}

TEST(VolumeTotals, FollowTheProbeArithmetic) {
    using Figures = foundation::VolumeFigures;
    struct Case {
        const char* label;
        std::optional<Figures> figures;
        std::optional<VolumeTotals> expected;
    };
    const std::optional<std::int64_t> none;
    const Case cases[] = {
        {"important usage wins", Figures{1000, 900, 250, std::string("Data")},
         VolumeTotals{"Data", 750, 250, 1000, 0.75}},
        {"available when no important usage", Figures{1000, 200, none, std::string("Data")},
         VolumeTotals{"Data", 800, 200, 1000, 0.8}},
        {"free above total", Figures{1000, 1500, none, std::string("Data")},
         VolumeTotals{"Data", 0, 1500, 1000, 0.0}},
        {"no free figure at all", Figures{1, none, none, std::string("Data")},
         VolumeTotals{"Data", 1, 0, 1, 1.0}},
        {"absent name", Figures{1000, 200, none, std::nullopt},
         VolumeTotals{"Disk", 800, 200, 1000, 0.8}},
        {"empty name stays empty", Figures{1000, 200, none, std::string()},
         VolumeTotals{"", 800, 200, 1000, 0.8}},
        {"negative free saturates used", Figures{INT64_MAX, INT64_MIN, none, std::string("X")},
         VolumeTotals{"X", INT64_MAX, INT64_MIN, INT64_MAX, 1.0}},
        {"total zero", Figures{0, 10, 10, std::string("X")}, std::nullopt},
        {"total negative", Figures{-5, 10, 10, std::string("X")}, std::nullopt},
        {"total absent", Figures{none, 10, 10, std::string("X")}, std::nullopt},
        {"query failed", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const auto got = volumeTotals(c.figures);
        ASSERT_EQ(got.has_value(), c.expected.has_value());
        if (!got) continue;
        EXPECT_EQ(got->volumeName, c.expected->volumeName);
        EXPECT_EQ(got->used, c.expected->used);
        EXPECT_EQ(got->free, c.expected->free);
        EXPECT_EQ(got->total, c.expected->total);
        EXPECT_DOUBLE_EQ(got->usedFraction, c.expected->usedFraction);
    }
}

TEST(DisplayName, KeepsValidUtf8AndReplacesEveryBadByte) {
    struct Case {
        const char* raw;
        const char* expected;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"Фото 📷", "Фото 📷"},
        {"", ""},
        {"a\xFF"
         "b",
         "a\xEF\xBF\xBD"
         "b"},
        {"\xC3", "\xEF\xBF\xBD"},                                  // cut sequence
        {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},                  // overlong '/'
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // surrogate
        {"\xE2\x82"
         "x\xE2\x82\xAC",
         "\xEF\xBF\xBD\xEF\xBF\xBD"
         "x\xE2\x82\xAC"},
        {"\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // past U+10FFFF
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::string(c.raw)));
        EXPECT_EQ(displayName(c.raw), c.expected);
    }
}

TEST(RootName, IsTheLastComponentOrSlash) {
    EXPECT_EQ(rootNameOf("/"), "/");
    EXPECT_EQ(rootNameOf("/home/ada"), "ada");
    EXPECT_EQ(rootNameOf("/srv"), "srv");
    EXPECT_EQ(rootNameOf("/data/caf\xC3\xA9 \xFF"), "caf\xC3\xA9 \xEF\xBF\xBD");
}

}  // namespace
}  // namespace brimlet
