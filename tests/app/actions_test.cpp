// Move to Trash and its books, a folder's biggest files, and the daily scan's timer against a
// test double of the systemd user manager on a private session bus.
//
// GLib reads HOME and XDG_DATA_HOME once per process, so this binary points both at one private
// folder before main runs; GIO's trash is then `$XDG_DATA_HOME/Trash` inside it.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "app/actions/published.h"
#include "app/actions/schedule.h"
#include "app/actions/trash.h"
#include "app/cli/window_launch.h"
#include "app/explore/explorer.h"
#include "app/explore/scan_controller.h"
#include "extension/shared/identifiers.h"
#include "extension/shared/shared_snapshot.h"
#include "tests/app/manager_double.h"
#include "tests/app/scan_testing.h"

namespace brimlet {
namespace {

using namespace brimlet_test;
namespace fs = std::filesystem;

struct PrivateHome {
    ScratchDir scratch;
    std::string home = scratch / "home";
    std::string data = home + "/.local/share";
    PrivateHome() {
        fs::create_directories(data + "/Trash/files");
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    }
};
const PrivateHome& privateHome() {
    static const PrivateHome home;
    return home;
}
[[maybe_unused]] const PrivateHome& kSetBeforeMain = privateHome();

std::int64_t kindBytes(const Folder& f, FileKind k) { return f.kinds[static_cast<std::size_t>(k)]; }

// The books, without GIO: a folder leaves its parent for the trash's files folder, or for
// outside the tree; then a file leaves its folder.
TEST(TrashBooks, SizesKindsAndCountsAboveTheMovedFolder) {
    for (const bool trashInside : {false, true}) {
        SCOPED_TRACE(trashInside ? "trash inside the root" : "trash elsewhere");
        TempTree t;
        t.build({{Entry::file, "r/keep/k.txt", 8 << 10},
                 {Entry::file, "r/big/a.mp4", 64 << 10},
                 {Entry::file, "r/big/sub/b.jpg", 16 << 10},
                 {Entry::folder, "r/bin/Trash/files"},
                 {Entry::file, "r/o.zip", 4 << 10}});
        FolderTree tree = walkTree(t.path("r"));
        const Folder& big = *tree.find("big");
        const std::int64_t root = tree.root().size, moved = big.size;
        const std::int64_t media = kindBytes(tree.root(), FileKind::media);
        const std::int64_t trash = tree.find("bin")->size, folders = tree.folders();
        // The items the folder list shows: the subtree's files and folders.
        const std::int64_t rootItems = tree.root().files + tree.root().folders;
        const std::int64_t binItems = tree.find("bin")->files + tree.find("bin")->folders;
        const Folder* files = trashInside ? tree.find("bin/Trash/files") : nullptr;
        TreeEdit::moveFolder(tree, big, files);
        EXPECT_EQ(tree.root().files + tree.root().folders, trashInside ? rootItems : rootItems - 4);
        EXPECT_EQ(tree.find("bin")->files + tree.find("bin")->folders,
                  trashInside ? binItems + 4 : binItems);
        EXPECT_EQ(tree.find("big"), nullptr);
        EXPECT_EQ(tree.root().size, trashInside ? root : root - moved);
        EXPECT_EQ(kindBytes(tree.root(), FileKind::media), trashInside ? media : 0);
        EXPECT_EQ(tree.find("bin")->size, trashInside ? trash + moved : trash);
        EXPECT_EQ(tree.folders(), trashInside ? folders : folders - 2);
        EXPECT_EQ(tree.find("bin/Trash/files/big") != nullptr, trashInside);

        const std::int64_t file = t.allocated("r/keep/k.txt"), keep = tree.find("keep")->size;
        const std::int64_t count = tree.files();
        TreeEdit::moveFile(tree, *tree.find("keep"), file, FileKind::documents, files);
        EXPECT_EQ(tree.find("keep")->size, keep - file);
        EXPECT_EQ(kindBytes(*tree.find("keep"), FileKind::documents), 0);
        EXPECT_EQ(tree.files(), trashInside ? count : count - 1);
        EXPECT_EQ(tree.find("keep")->files, 0);
        EXPECT_EQ(tree.root().size, trashInside ? root : root - moved - file);
    }
}

std::vector<std::string> topFolderNames(const DiskSnapshot& s) {
    std::vector<std::string> names;
    for (const auto& item : s.topFolders) names.push_back(item.name);
    return names;
}

// The home folder scanned, its trash inside it: "Big" goes to Trash/files with its .trashinfo,
// the snapshot is rewritten without it, and the trash's folder (.local) grows by its size.
TEST(TrashEndToEnd, TheFolderGoesToTheTrashAndLeavesTheSnapshot) {
    const PrivateHome& h = privateHome();
    const FixedWorld world;
    fs::create_directories(h.home + "/Big");
    std::ofstream(h.home + "/Big/video.mp4") << std::string(300 << 10, 'x');
    fs::create_directories(h.home + "/Small");
    std::ofstream(h.home + "/Small/notes.txt") << std::string(8 << 10, 'x');
    fs::create_directories(h.home + "/Stale");
    HeldScan scan = heldScanOf(h.home);
    const std::int64_t total = scan.snapshot.total, big = scan.tree.find("Big")->size;
    const std::int64_t local = scan.tree.find(".local")->size;

    trashFolder(scan, *scan.tree.find("Big"));
    EXPECT_FALSE(fs::exists(h.home + "/Big"));
    EXPECT_TRUE(fs::exists(h.data + "/Trash/files/Big/video.mp4"));
    std::stringstream info;
    info << std::ifstream(h.data + "/Trash/info/Big.trashinfo").rdbuf();
    EXPECT_NE(info.str().find("Path=" + h.home + "/Big"), std::string::npos) << info.str();

    const auto written = SharedSnapshot::read();
    ASSERT_TRUE(written.has_value());
    const auto names = topFolderNames(*written);
    EXPECT_EQ(std::count(names.begin(), names.end(), "Big"), 0) << ::testing::PrintToString(names);
    EXPECT_EQ(written->total, total);
    EXPECT_EQ(scan.tree.find(".local")->size, local + big);
    EXPECT_EQ(written->topFolders.front().name, ".local");
    EXPECT_EQ(written->topFolders.front().size, local + big);

    // A scan of another folder published since is newer news: a later move keeps its books in
    // memory and leaves that snapshot as it is.
    const HeldScan other = heldScanOf(h.home + "/Small");
    trashFolder(scan, *scan.tree.find("Stale"));
    EXPECT_FALSE(fs::exists(h.home + "/Stale"));
    EXPECT_EQ(scan.tree.find("Stale"), nullptr);
    EXPECT_EQ(SharedSnapshot::read()->encode(2), other.snapshot.encode(2));
}

// The app's scan follows the pins from its tree: the pinned folder becomes the one area, and
// without pins the default areas come back, each time published.
TEST(HeldScan, FollowsThePinsWithoutAWalk) {
    const PrivateHome& h = privateHome();
    const FixedWorld world;
    const std::string root = h.home + "/pinning";
    fs::create_directories(root + "/a/inner");
    fs::create_directories(root + "/b");
    HeldScan scan = heldScanOf(root);
    const auto areaNames = [] {
        std::vector<std::string> names;
        const std::optional<DiskSnapshot> read = SharedSnapshot::read();
        if (!read || !read->areas) return std::vector<std::string>{"(no areas)"};
        for (const auto& area : *read->areas) names.push_back(area.name);
        std::sort(names.begin(), names.end());
        return names;
    };
    std::vector<std::string> notes;
    followPins(scan, Preferences{{}, {}, false, {root + "/a/inner", h.home + "/elsewhere"}}, notes);
    EXPECT_EQ(areaNames(), std::vector<std::string>{"a/inner"});
    followPins(scan, Preferences{}, notes);
    EXPECT_EQ(areaNames(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(notes, std::vector<std::string>{});
}

// A Disk Breakdown tile opens the window on its area's folder: the `brimlet` front turns the
// area the desk passes into the folder under the recorded root, and every area it cannot place
// into the root itself; without a published scan the window opens as it chooses.
TEST(AreaFolder, TheDeskAreaBecomesItsFolderOrTheRoot) {
    const PrivateHome& h = privateHome();
    const FixedWorld world;
    const std::string root = h.home + "/areas", cafe = "caf\xC3\xA9";
    for (const std::string& folder : std::vector<std::string>{"a/inner", cafe, "gone"}) {
        fs::create_directories(root + "/" + folder);
        std::ofstream(root + "/" + folder + "/f") << std::string(16 << 10, 'x');
    }
    heldScanOf(root);
    fs::remove_all(root + "/gone");
    // {the arguments after `brimlet`, the window's arguments}
    const std::pair<std::vector<const char*>, std::vector<std::string>> cases[] = {
        {{"--area=a"}, {root + "/a"}},
        {{"--area", "a"}, {root + "/a"}},
        {{"--area=caf\xC3\xA9"}, {root + "/" + cafe}},
        {{"--area=cafe\xCC\x81"}, {root + "/" + cafe}},  // the same name, decomposed
        {{"--area="}, {root}},
        {{"--area=A"}, {root}},
        {{"--area=gone"}, {root}},
        {{"/elsewhere"}, {"/elsewhere"}},
    };
    for (const auto& [after, window] : cases) {
        SCOPED_TRACE(::testing::PrintToString(after));
        std::vector<const char*> argv{"brimlet"};
        argv.insert(argv.end(), after.begin(), after.end());
        const int argc = static_cast<int>(argv.size());
        EXPECT_TRUE(wantsWindow(argc, argv.data(), {"scan"}));
        EXPECT_EQ(windowArguments(argc, argv.data()), window);
    }
    for (const std::vector<const char*>& command :
         {std::vector{"brimlet", "--area=a", "b"}, std::vector{"brimlet", "--area"},
          std::vector{"brimlet", "--areas=a"}, std::vector{"brimlet", "scan", "--area=a"}}) {
        EXPECT_FALSE(wantsWindow(static_cast<int>(command.size()), command.data(), {"scan"}))
            << ::testing::PrintToString(command);
    }
    fs::remove(h.data + "/" + std::string(kAppGroupIdentifier) + "/snapshot-root.conf");
    const std::vector<const char*> argv{"brimlet", "--area=a"};
    EXPECT_EQ(windowArguments(2, argv.data()), std::vector<std::string>{});
}

// The window's path: the scan controller's held scan and the tree the explorer shows are one,
// so the move (run on a thread of its own) and its books leave the explorer showing the folder
// gone and every size above it smaller, the trash holding it, and the snapshot without it.
TEST(TrashEndToEnd, TheWindowsScanFollowsAMoveItsExplorerShows) {
    const PrivateHome& h = privateHome();
    const FixedWorld world;
    const std::string root = h.home + "/Work";  // its trash lies outside it
    fs::create_directories(root + "/Attic/Old");
    std::ofstream(root + "/Attic/Old/film.mkv") << std::string(400 << 10, 'x');
    fs::create_directories(root + "/Keep");
    std::ofstream(root + "/Keep/a.txt") << std::string(8 << 10, 'x');
    std::atomic_flag ended;
    ScanController controller([&] {
        ended.test_and_set();
        ended.notify_all();
    });
    ScanRequest request;
    request.root = root;
    ASSERT_TRUE(controller.start(request));
    ended.wait(false);
    auto result = controller.takeResult();
    ASSERT_TRUE(result && result->held) << (result ? result->message : "no result");
    Explorer explorer(result->tree);
    ASSERT_TRUE(explorer.show(root + "/Attic"));
    ASSERT_EQ(explorer.rows().size(), 1u);
    const Folder& old = *explorer.rows().front().folder;
    const std::int64_t moved = old.size, above = explorer.current().size;
    const std::int64_t total = explorer.tree().root().size;

    std::thread([&] {
        moveToTrash(root + "/Attic/Old", result->tree->device(), old.inode);
    }).join();
    recordTrashedFolder(*result->held, old);
    ASSERT_TRUE(explorer.show(root + "/Attic"));
    EXPECT_TRUE(explorer.rows().empty());
    EXPECT_EQ(explorer.current().size, above - moved);
    EXPECT_EQ(explorer.tree().root().size, total - moved);
    EXPECT_TRUE(fs::exists(h.data + "/Trash/files/Old/film.mkv"));
    const auto written = SharedSnapshot::read();
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(topFolderNames(*written), topFolderNames(result->held->snapshot));
    const auto names = topFolderNames(*written);
    const auto attic = std::find(names.begin(), names.end(), "Attic");
    ASSERT_NE(attic, names.end()) << ::testing::PrintToString(names);
    EXPECT_EQ(written->topFolders[static_cast<std::size_t>(attic - names.begin())].size,
              above - moved);
}

// A folder replaced or removed since the scan: one line naming it, nothing moved, nothing
// deleted, the snapshot as it was. (File systems without a trash: trash_mount_test.cpp.)
TEST(TrashEndToEnd, RefusesWhatChangedSinceTheScan) {
    const PrivateHome& h = privateHome();
    const FixedWorld world;
    const std::string root = h.home + "/refusals";
    for (const char* name : {"replaced", "removed"}) fs::create_directories(root + "/" + name);
    HeldScan scan = heldScanOf(root);
    fs::rename(root + "/replaced", root + "/replaced.old");
    fs::create_directories(root + "/replaced");
    fs::rename(root + "/removed", h.home + "/removed.elsewhere");
    const std::string snapshot =
        h.data + "/" + std::string(kAppGroupIdentifier) + "/" + std::string(kSnapshotFileName);
    const auto before = foundation::readWholeFile(snapshot);
    const std::pair<const Folder*, std::string> cases[] = {
        {scan.tree.find("replaced"), "replaced since the scan; nothing moved"},
        {scan.tree.find("removed"), "removed since the scan; nothing moved"},
    };
    for (const auto& [folder, message] : cases) {
        ASSERT_NE(folder, nullptr);
        const std::string path = folderPath(*folder, scan.tree.rootPath());
        SCOPED_TRACE(path);
        try {
            trashFolder(scan, *folder);
            ADD_FAILURE() << "moved";
        } catch (const ActionError& e) {
            EXPECT_EQ(std::string(e.what()), path + ": " + message);
        }
    }
    EXPECT_TRUE(fs::exists(root + "/replaced.old") && fs::exists(root + "/replaced") &&
                fs::exists(h.home + "/removed.elsewhere"));
    EXPECT_FALSE(fs::exists(h.data + "/Trash/files/replaced"));
    EXPECT_EQ(foundation::readWholeFile(snapshot), before);
}

TEST(BiggestFiles, FilesOnlyBiggestFirstCutAtTop) {
    TempTree t;
    t.build({{Entry::file, "f/clip.mp4", 40 << 10},
             {Entry::file, "f/b.txt", 12 << 10},
             {Entry::file, "f/a.txt", 12 << 10},
             {Entry::executable, "f/tool", 4 << 10},
             {Entry::file, "f/sub/huge.iso", 400 << 10},
             {Entry::symlink, "f/link", 0, "sub/huge.iso"}});
    const auto files = biggestFiles(t.path("f"), 3);
    std::vector<std::tuple<std::string, std::int64_t, FileKind>> got;
    for (const FileEntry& f : files) got.emplace_back(f.name, f.size, f.kind);
    using Row = std::tuple<std::string, std::int64_t, FileKind>;
    EXPECT_EQ(got, (std::vector<Row>{{"clip.mp4", t.allocated("f/clip.mp4"), FileKind::media},
                                     {"a.txt", t.allocated("f/a.txt"), FileKind::documents},
                                     {"b.txt", t.allocated("f/b.txt"), FileKind::documents}}));
    EXPECT_EQ(biggestFiles(t.path("f"), 100).size(), 5u);
    EXPECT_THROW(biggestFiles(t.path("missing"), 3), ActionError);
}

TEST(Schedule, EnablesAndDisablesTheTimerThroughTheUserManager) {
    if (!haveDouble()) GTEST_SKIP() << "needs dbus-run-session, python3-dbus and python3-gi";
    const ManagerDouble manager({});
    ASSERT_FALSE(manager.address().empty());
    const ScanSchedule schedule(manager.address());
    const ScheduleState off = schedule.state();
    EXPECT_TRUE(off.available) << off.reason;
    EXPECT_FALSE(off.enabled || off.nextRun.has_value());

    const ScheduleState on = schedule.enable();
    EXPECT_TRUE(on.available && on.enabled && on.reason.empty()) << on.reason;
    ASSERT_TRUE(on.nextRun.has_value());
    EXPECT_EQ(on.nextRun->unixSeconds(), 1'900'000'000.0);
    const ScheduleState again = schedule.disable();
    EXPECT_TRUE(again.available && !again.enabled && !again.nextRun) << again.reason;
    EXPECT_EQ(manager.calls(),
              "EnableUnitFiles brimlet-scan.timer\nReload\nStartUnit brimlet-scan.timer replace\n"
              "StopUnit brimlet-scan.timer replace\nDisableUnitFiles brimlet-scan.timer\n"
              "Reload\n");
}

// No user manager on the bus, no bus at all, and a manager that refuses: each says why.
TEST(Schedule, SaysWhyWhenTheManagerIsAbsentOrRefuses) {
    if (!haveDouble()) GTEST_SKIP() << "needs dbus-run-session, python3-dbus and python3-gi";
    const ManagerDouble nameless({"--no-name"});
    const ManagerDouble refusing({"--refuse-enable"});
    const std::tuple<std::string, bool, bool, std::string> cases[] = {
        {nameless.address(), false, false, "no systemd user manager answers"},
        {"unix:path=/nonexistent/bus", false, false, "no session bus: "},
        {refusing.address(), true, true, "Access denied"},
    };
    for (const auto& [address, available, enable, reason] : cases) {
        SCOPED_TRACE(address);
        const ScanSchedule schedule(address);
        const ScheduleState state = enable ? schedule.enable() : schedule.state();
        EXPECT_EQ(state.available, available);
        EXPECT_FALSE(state.enabled);
        EXPECT_NE(state.reason.find(reason), std::string::npos) << state.reason;
        EXPECT_EQ(state.reason.find('\n'), std::string::npos);
    }
}

}  // namespace
}  // namespace brimlet
