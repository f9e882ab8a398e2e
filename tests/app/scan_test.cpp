#include "app/scan/scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <optional>
#include <tuple>

#include "app/cli/progress.h"
#include "tests/app/scan_testing.h"
#include "tests/extension/shared/snapshot_testing.h"
#include "tests/support/as_nobody.h"

namespace brimlet {
namespace {

using namespace brimlet_test;
using Item = DiskSnapshot::Item;
using Area = DiskSnapshot::Area;

// Expected lists are written in any order and put in the order the snapshot promises: biggest
// first, ties by name; at most `top` of them. Kinds without bytes (a short symbolic link takes
// none) are left out.
std::vector<Item> ranked(std::vector<Item> items, std::size_t top = 100) {
    std::erase_if(items, [](const Item& i) { return i.size == 0; });
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        return a.size != b.size ? a.size > b.size : a.name < b.name;
    });
    items.resize(std::min(top, items.size()));
    return items;
}

// Allocated sizes, hard links once toward the path that sorts first, links never followed, the
// lists ranked and cut at `top` (but five areas whatever `top`).
TEST(Scan, SampleTreeGivesEveryFieldOfTheSnapshot) {
    const Sample s;
    const FixedWorld world;
    const std::string empty = "empty\xEF\xBF\xBD";  // "empty\xFF" as the snapshot names it
    const std::vector<Item> rootFolders = {{"Big Folder", s.big}, {kPhotoFolder, s.photos},
                                           {"small", s.small},    {"links", s.links},
                                           {"more", s.more},      {empty, s.empty}};
    const std::map<std::string, std::pair<std::vector<Item>, std::vector<Item>>> areaLists = {
        {"Big Folder", {{{"nested", s.nested}}, {{"Media", s.video}, {"Documents", s.notes}}}},
        {kPhotoFolder, {{}, {{"Images", s.photo}, {"Archives", s.disk}}}},
        {"small", {{}, {{"Binaries", s.tool}, {"Other", s.symlinks}}}},
        {"links", {{}, {{"Binaries", s.first}}}},
        {"more", {}},
        {empty, {}}};
    const std::vector<Item> allKinds = {
        {"Media", s.video},   {"Documents", s.notes},         {"Images", s.photo},
        {"Archives", s.disk}, {"Binaries", s.tool + s.first}, {"Other", s.symlinks + s.top}};
    for (const std::size_t top : {std::size_t{8}, std::size_t{1}}) {
        SCOPED_TRACE(top);
        std::vector<Area> areas;  // the five biggest folders below the root, whatever `top`
        for (const Item& folder : ranked(rootFolders, 5)) {
            const auto& [folders, kinds] = areaLists.at(folder.name);
            areas.push_back(Area{folder.name, folder.size, ranked(folders, top), ranked(kinds)});
        }
        const DiskSnapshot expected(foundation::Date{FixedWorld::kNow}, "Test Volume", 0.8, 800,
                                    200, 1000, ranked(rootFolders, top), ranked(allKinds), areas,
                                    kSampleRoot);
        const ScanResult result = scanOf(ScanRequest{s.root, {}, top, 0});
        EXPECT_TRUE(sameSnapshot(result.snapshot, expected));
        EXPECT_EQ(result.tree.root().size, s.total);
        // Nine entries that are not folders (the twice-linked file once); eight folders.
        EXPECT_EQ(std::tuple(result.tree.files(), result.tree.folders()), std::tuple(9, 8));
    }
}

const std::string kValidTag = std::string(kCacheTagSignature) + "\n# a cache, made by hand\n";

TEST(Scan, PlanRejectsRootsAreasAndPatternsItCannotUse) {
    const Sample s;
    s.t.build({{Entry::folder, "tmp"}, {Entry::text, "work/cache/CACHEDIR.TAG", 0, kValidTag}},
              kSampleRoot + "/");
    const std::string& root = s.root;
    const auto req = [&](std::vector<std::string> areas, std::vector<std::string> exclude = {},
                         bool caches = false) {
        return ScanRequest{root, std::move(areas), 8, 0, std::move(exclude), caches};
    };
    const std::tuple<const char*, ScanRequest, int> cases[] = {
        // status 0: accepted
        {"missing root", ScanRequest{s.t.path("none"), {}}, 1},
        {"root is a file", ScanRequest{root + "/top", {}}, 1},
        {"empty root", ScanRequest{"", {}}, 2},
        {"missing area", req({"none"}), 1},
        {"area is a file", req({"top"}), 1},
        {"area above", req({"small/../.."}), 2},
        {"area is the root", req({"."}), 2},
        {"empty area", req({"small", ""}), 2},
        {"empty pattern", req({}, {"tmp", ""}), 2},
        {"glob of the root's name", req({}, {"Scan*"}), 2},
        {"dot", req({}, {".//"}), 2},
        {"root's path, then a dot", req({}, {root + "//./"}), 2},
        {"absolute outside the root", req({}, {s.t.path("elsewhere")}), 2},
        {"area in an excluded folder", req({"work/cache"}, {"work"}), 2},
        {"area in a cache", req({"work/cache"}, {}, true), 2},
        {"part of the root's name", req({}, {"Scan"}), 0},
        {"absolute inside the root", req({"work/cache"}, {root + "/tmp/"}), 0},
        {"area in a cache, caches kept", req({"work/cache"}), 0},
    };
    for (const auto& [label, request, status] : cases) {
        const auto [got, message] = failureOf([&] { planScan(request); });
        EXPECT_EQ(got, status) << label << ": " << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
    EXPECT_EQ(failureOf([&] { planScan(req({"."})); }).second,
              "area . is the scanned folder itself");
    const ScopedEnv home("HOME", root + "/small/../links");
    EXPECT_EQ(planScan(ScanRequest{}).root, root + "/links");
}

TEST(Scan, WalksTreesDeeperThanPathMax) {
    TempTree t;
    // 40 levels of 120-byte names: about 4,800 bytes of path, beyond PATH_MAX (4096).
    const std::string name(120, 'n');
    foundation::FileDescriptor at(::open(t.root().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (int level = 0; level < 40; ++level) {
        ::mkdirat(at.get(), name.c_str(), 0755);
        at = foundation::FileDescriptor(
            ::openat(at.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
    const foundation::FileDescriptor fd(::openat(at.get(), "bottom.mp3", O_WRONLY | O_CREAT, 0644));
    const std::string data(10000, 'm');
    ASSERT_EQ(::write(fd.get(), data.data(), data.size()), static_cast<ssize_t>(data.size()));
    struct stat bottom {};
    ASSERT_EQ(::fstat(fd.get(), &bottom), 0);
    const FolderTree tree = walkTree(t.root(), WalkOptions{2});
    EXPECT_EQ(std::tuple(tree.folders(), tree.skippedFolders()), std::tuple(41, 0));
    EXPECT_EQ(tree.root().kinds[static_cast<std::size_t>(FileKind::media)], bottom.st_blocks * 512);
}

// A folder directly in /dev that is a file system of its own (shm, pts) is left out, with
// everything below it.
TEST(Scan, StaysOnTheFileSystemOfTheRoot) {
    struct stat root {};
    ASSERT_EQ(::stat("/dev", &root), 0);
    const FolderTree tree = walkTree("/dev", WalkOptions{2});
    int mounts = 0;
    for (const auto& e : std::filesystem::directory_iterator("/dev")) {
        struct stat st {};
        if (::lstat(e.path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
        mounts += st.st_dev != root.st_dev ? 1 : 0;
        EXPECT_EQ(tree.find(e.path().filename().string()) == nullptr, st.st_dev != root.st_dev)
            << e.path();
    }
    if (mounts == 0) GTEST_SKIP() << "no file system mounted directly in /dev";
}

// An unreadable folder's own blocks count, its contents do not; an unreadable root fails the
// scan, naming it, and so do volume figures that cannot be had.
TEST(Scan, UnreadableFolderIsSkippedAndAnUnreadableRootFails) {
    const Sample s;
    const FixedWorld world;
    ScanPlan plan = planScan(ScanRequest{s.root, {}, 8, 0});
    std::string refused = s.root + "/small";
    const FaultyEnvironment refusing(
        [&](const std::string& path) { return path == refused ? EACCES : 0; });
    plan.environment = &refusing;
    const ScanResult result = runScan(plan);
    const Folder* small = result.tree.find("small");
    ASSERT_TRUE(small != nullptr && small->skipped);
    EXPECT_EQ(std::tuple(result.tree.skippedFolders(), small->size, result.tree.root().size,
                         result.tree.root().kinds[static_cast<std::size_t>(FileKind::binaries)]),
              std::tuple(1, s.small - s.tool - s.symlinks, s.total - s.tool - s.symlinks, s.first));
    refused = s.root;
    EXPECT_EQ(failureOf([&] { runScan(plan); }), std::pair(1, s.root + ": Permission denied"));
    refused.clear();
    const foundation::testing::ScopedVolumeQuery broken(
        [](const std::string&) { return std::nullopt; });
    EXPECT_EQ(failureOf([&] { runScan(plan); }).first, 1);
}

// Entries removed or replaced at each moment of the walk count apart as vanished, never as
// unreadable: what was gone before it was measured counts nowhere, a folder measured before it
// went keeps its own blocks.
TEST(Scan, EntriesThatVanishMidWalkAreCountedApartNotAsUnreadable) {
    namespace fs = std::filesystem;
    using Change = void (*)(const std::string& folder);
    const Change removeTwo = [](const std::string& at) {
        fs::remove(at + "/f.bin");
        fs::remove_all(at + "/gone");
    };
    const Change remove = [](const std::string& at) { fs::remove_all(at); };
    const Change toLink = [](const std::string& at) {
        fs::remove_all(at);
        fs::create_directory_symlink("d", at);
    };
    const Change toFile = [](const std::string& at) {
        fs::remove_all(at);
        foundation::FileDescriptor(::creat(at.c_str(), 0644));
    };
    struct Case {
        const char* folder;  // changed when its listing has begun, or before it is opened
        bool whenListed;
        Change change;
        std::int64_t vanished;
        std::vector<std::string> gone;  // entries whose blocks no longer count
    };
    const Case cases[] = {
        {"a", true, removeTwo, 2, {"a/f.bin", "a/gone", "a/gone/x.bin"}},
        {"b", false, remove, 1, {"b/y.bin"}},
        {"c", false, toLink, 1, {"c/z.bin"}},
        {"c", false, toFile, 1, {"c/z.bin"}},
        {"d", true, remove, 2, {"d/w.bin"}},  // its file, then its own listing
    };
    const FixedWorld world;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.folder) + (c.whenListed ? " when listed" : " before opening"));
        TempTree t;
        t.build({{Entry::file, "r/a/f.bin", 8 << 10},
                 {Entry::file, "r/a/gone/x.bin", 16 << 10},
                 {Entry::file, "r/b/y.bin", 12 << 10},
                 {Entry::file, "r/c/z.bin", 4 << 10},
                 {Entry::file, "r/d/w.bin", 4 << 10}});
        // The figures of the undisturbed walk, less what is gone.
        std::int64_t size = walkTree(t.path("r")).root().size, files = 5;
        for (const std::string& gone : c.gone) {
            size -= t.allocated("r/" + gone);
            files -= gone.ends_with(".bin") ? 1 : 0;
        }
        const std::string changed = t.path("r/") + c.folder;
        FaultyEnvironment changing;
        changing.listed = [&](const std::string& p) {
            if (c.whenListed && p == changed) c.change(p);
        };
        changing.opening = [&](const std::string& p) {
            if (!c.whenListed && p == changed) c.change(p);
            return 0;
        };
        ScanPlan plan = planScan(ScanRequest{t.path("r"), {}, 8, 2});
        plan.environment = &changing;
        const FolderTree tree = runScan(plan).tree;
        EXPECT_EQ(
            std::tuple(tree.vanished(), tree.skippedFolders(), tree.files(), tree.root().size),
            std::tuple(c.vanished, 0, files, size));
    }
    // The summary counts them: command_line_test.cpp.
}

// As an ordinary user, a folder that can be listed but not entered (mode 0644) is unreadable:
// counted and named as the others are, its contents nowhere. The tests run as root, for whom
// permissions refuse nothing, so the walk runs as `nobody`.
TEST(Scan, FolderListedButNotEnteredIsUnreadableForAnOrdinaryUser) {
    TempTree t;
    t.build({{Entry::file, "r/open/a.bin", 4 << 10},
             {Entry::file, "r/locked/big.bin", 700 << 10},
             {Entry::file, "r/locked/inner/b.bin", 4 << 10}});
    for (const char* folder : {"", "r", "r/open", "r/locked/inner"})
        ASSERT_EQ(::chmod(t.path(folder).c_str(), 0755), 0) << folder;
    ASSERT_EQ(::chmod(t.path("r/locked").c_str(), 0644), 0);
    const std::int64_t size = t.allocated("r") + t.allocated("r/open") +
                              t.allocated("r/open/a.bin") + t.allocated("r/locked");
    const std::string expected = summaryLine("-", size, 1, 3, {t.path("r/locked")}, 0, 0);
    const std::string said = reportAsNobody([&] {
        WalkProgress progress;
        const FolderTree tree = walkTree(t.path("r"), WalkOptions{2}, &progress);
        std::string line = summaryLine("-", tree.root().size, tree.files(), tree.folders(),
                                       skippedFolderPaths(tree), tree.vanished(), 0);
        if (progress.bytes != tree.root().size || progress.files != tree.files())
            line += " (progress differs)";
        return line;
    });
    if (said.starts_with("cannot ")) GTEST_SKIP() << "the walk as nobody: " << said;
    EXPECT_EQ(said, expected);
}

// Every kind of entry an exclusion can meet, and whether the patterns of the test below and the
// cache tags leave it out. The scanned folder's own tag never leaves it out.
const std::vector<std::pair<Entry, bool>> kExclusionTree = {
    {{Entry::text, "CACHEDIR.TAG", 0, kValidTag}, false},
    {{Entry::file, "keep/out.o", 16 << 10}, true},  // "*.o" by name, below the root
    {{Entry::file, "keep/old", 4 << 10}, false},    // "./old" is anchored at the root
    {{Entry::file, "old", 4 << 10}, true},
    {{Entry::file, "src/node_modules/x.js", 32 << 10}, true},  // the folder by name
    {{Entry::file, "src/a.txt", 4 << 10}, true},               // "src/*.txt" by path
    {{Entry::file, "src/sub/b.txt", 4 << 10}, false},          // "*" never matches a '/'
    {{Entry::file, "tmp.log", 4 << 10}, true},                 // the absolute pattern, "//./"
    {{Entry::file, "logs/tmp.log", 8 << 10}, false},           // is anchored too
    {{Entry::file, "cache/blob.bin", 64 << 10}, true},
    {{Entry::text, "cache/CACHEDIR.TAG", 0, kValidTag}, true},
    {{Entry::file, "cache/inner/more.bin", 8 << 10}, true},
    {{Entry::file, "fake-cache/song.mp3", 20 << 10}, false},
    {{Entry::text, "fake-cache/CACHEDIR.TAG", 0, "Signature: 8a477f597d28d172789f06886806bc5X"},
     false},
    {{Entry::text, "short-cache/CACHEDIR.TAG", 0, "Signature: 8a477f"}, false},
    {{Entry::symlink, "linked-cache/CACHEDIR.TAG", 0, "../cache/CACHEDIR.TAG"}, false},
    {{Entry::file, "linked-cache/data.bin", 4 << 10}, false},
};

// Scanning the full tree with exclusions gives exactly the scan of a tree that never held what
// they leave out: sizes, counts, kinds, the biggest folders and the default areas. (A small
// folder's own blocks do not depend on how many entries it lists.)
TEST(Exclusion, ExcludedEntriesCountNowhere) {
    TempTree t;
    std::vector<Entry> full, without;
    for (const auto& [entry, leftOut] : kExclusionTree) {
        full.push_back(entry);
        if (!leftOut) without.push_back(entry);
    }
    t.build(full, "full/r/");
    t.build(without, "without/r/");
    const FixedWorld world;
    const std::vector<std::string> patterns = {"node_modules", "*.o", "src/*.txt",
                                               t.path("full/r") + "//./tmp.log", "././/old"};
    const ScanResult reference = scanOf(ScanRequest{t.path("without/r"), {}, 8, 0});
    const ScanResult excluded = scanOf(ScanRequest{t.path("full/r"), {}, 8, 0, patterns, true});
    EXPECT_TRUE(sameSnapshot(excluded.snapshot, reference.snapshot));
    EXPECT_EQ(
        std::tuple(excluded.tree.root().size, excluded.tree.files(), excluded.tree.folders()),
        std::tuple(reference.tree.root().size, reference.tree.files(), reference.tree.folders()));
    // Without the options everything counts.
    EXPECT_EQ(scanOf(ScanRequest{t.path("full/r"), {}, 8, 0}).tree.files(), std::ssize(full));
}

// A folder walked alone (a pinned one) leaves out what a walk of the whole root leaves out there.
TEST(Exclusion, BelowAFolderPatternsLoseTheComponentsThatMatchIt) {
    using P = Exclusions::Pattern;
    const struct {
        P pattern;
        std::string folder;
        std::optional<P> below;  // nullopt: dropped
    } kCases[] = {
        {{"*.tmp", false}, "Music/Live", P{"*.tmp", false}},          // names anywhere
        {{"Music/Live/skip", false}, "Music/Live", P{"skip", true}},  // a path from the root
        {{"Music/Live/skip", true}, "Music", P{"Live/skip", true}},
        {{"Mus*/L?ve/[rs]kip/x", true}, "Music/Live", P{"[rs]kip/x", true}},
        {{"*/Live/skip", false}, "Music/Live", P{"skip", true}},
        {{"Music/Live", true}, "Music/Live", std::nullopt},   // the folder itself
        {{"Music", false}, "Music/Live", P{"Music", false}},  // a name: a folder "Music" below
        {{"Music/*", true}, "Music/Live", std::nullopt},
        {{"Videos/skip", true}, "Music", std::nullopt},  // another branch
        {{"Music/Live/skip", true}, "Mus", std::nullopt},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.pattern.glob + " below " + c.folder);
        const Exclusions below = Exclusions{{c.pattern}, true}.below(c.folder);
        EXPECT_TRUE(below.caches);
        ASSERT_EQ(below.patterns.size(), c.below ? 1u : 0u);
        if (c.below) {
            EXPECT_EQ(below.patterns[0].glob, c.below->glob);
            EXPECT_EQ(below.patterns[0].anchored, c.below->anchored);
        }
    }
}

// Text the snapshot can hold: every byte outside a valid sequence becomes U+FFFD. The volume
// is "Disk" when it has no name; its figures come from readVolume, as the sample tree shows.
TEST(DisplayName, KeepsValidUtf8AndReplacesEveryBadByte) {
    const std::pair<const char*, const char*> cases[] = {
        {"\xC3", "\xEF\xBF\xBD"},                                  // cut sequence
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // surrogate
        {"\xE2\x82x\xE2\x82\xAC", "\xEF\xBF\xBD\xEF\xBF\xBDx\xE2\x82\xAC"},
    };
    for (const auto& [raw, expected] : cases) EXPECT_EQ(displayName(raw), expected) << raw;
    EXPECT_EQ(rootNameOf("/") + rootNameOf("/d/x\xFF"), "/x\xEF\xBF\xBD");
    using Figures = foundation::VolumeFigures;
    EXPECT_EQ(volumeTotals(Figures{1000, 200, 200, std::nullopt}).value().volumeName, "Disk");
    EXPECT_EQ(volumeTotals(Figures{1000, 200, 200, "D\xFF"}).value().volumeName, "D\xEF\xBF\xBD");
    EXPECT_FALSE(volumeTotals(std::nullopt).has_value());
}

TEST(ClassifyFile, ExtensionThenVersionedObjectThenExecutableBitAndEveryExtensionOfTheTable) {
    using enum FileKind;
    const std::tuple<const char*, bool, FileKind> cases[] = {
        // Extension letters compare without case; only the last extension counts.
        {"MOVIE.MKV", false, media},
        {"notes.pdf.txt", false, documents},
        // A known extension wins over the executable bit; without one the bit decides.
        {"build.sh", true, code},
        {"tool.v2", true, binaries},
        {"tool.v2", false, other},
        // A leading dot starts no extension; an empty or overlong extension is none.
        {".mp3", false, other},
        {"ending.", false, other},
        {"a.extremelylong", false, other},
        // Versioned shared objects.
        {"libz.so.1.2.13", false, binaries},
        {"libz.so.1a", false, other},
        {"libz.so.", false, other},
        {".so.1", false, other},
        // Non-ASCII letters are not folded.
        {"фото.JPG", false, images},
        {"photo.jpég", false, other},
    };
    for (const auto& [name, executable, expected] : cases)
        EXPECT_EQ(classifyFile(name, executable), expected) << name << " " << executable;
    // Every extension of the table classifies as its own kind: none is listed twice or cannot be
    // matched.
    for (const FileKind kind : kAllFileKinds) {
        for (const auto ext : kindExtensions(kind))
            EXPECT_EQ(classifyFile("file." + std::string(ext), false), kind) << ext;
    }
}

}  // namespace
}  // namespace brimlet
