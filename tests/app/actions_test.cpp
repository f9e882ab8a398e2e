// Move to Trash and its books, a folder's biggest files, and the daily scan's timer against a
// test double of the systemd user manager on a private session bus.
//
// GLib reads HOME and XDG_DATA_HOME once per process, so this binary points both at one private
// folder before main runs; GIO's trash is then `$XDG_DATA_HOME/Trash` inside it.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
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
        // The root's size, items (the subtree's files and folders, as the folder list shows
        // them) and media bytes; the tree's folders; the trash folder's size and items.
        const auto books = [&] {
            const Folder& bin = *tree.find("bin");
            return std::tuple(tree.root().size, tree.root().files + tree.root().folders,
                              kindBytes(tree.root(), FileKind::media), tree.folders(), bin.size,
                              bin.files + bin.folders);
        };
        const auto [root, items, media, folders, trash, trashItems] = books();
        const std::int64_t moved = tree.find("big")->size;
        const Folder* files = trashInside ? tree.find("bin/Trash/files") : nullptr;
        TreeEdit::moveFolder(tree, *tree.find("big"), files);
        EXPECT_EQ(books(), trashInside ? std::tuple(root, items, media, folders, trash + moved,
                                                    trashItems + 4)
                                       : std::tuple(root - moved, items - 4, std::int64_t{0},
                                                    folders - 2, trash, trashItems));
        EXPECT_EQ(tree.find("big"), nullptr);
        EXPECT_EQ(tree.find("bin/Trash/files/big") != nullptr, trashInside);

        const std::int64_t file = t.allocated("r/keep/k.txt"), keep = tree.find("keep")->size;
        const std::int64_t count = tree.files();
        TreeEdit::moveFile(tree, *tree.find("keep"), file, FileKind::documents, files);
        const Folder& kept = *tree.find("keep");
        EXPECT_EQ(
            std::tuple(kept.size, kindBytes(kept, FileKind::documents), kept.files, tree.files(),
                       tree.root().size),
            std::tuple(keep - file, std::int64_t{0}, std::int64_t{0},
                       trashInside ? count : count - 1, trashInside ? root : root - moved - file));
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
    buildTree(h.home, {{Entry::file, "Big/video.mp4", 300 << 10},
                       {Entry::file, "Small/notes.txt", 8 << 10},
                       {Entry::folder, "Stale"}});
    HeldScan scan = heldScanOf(h.home);
    const std::int64_t total = scan.snapshot.total, big = scan.tree.find("Big")->size;
    const std::int64_t local = scan.tree.find(".local")->size;

    trashFolder(scan, *scan.tree.find("Big"));
    EXPECT_FALSE(fs::exists(h.home + "/Big"));
    EXPECT_TRUE(fs::exists(h.data + "/Trash/files/Big/video.mp4"));
    const auto info = foundation::readWholeFile(h.data + "/Trash/info/Big.trashinfo");
    EXPECT_NE(info.value_or("").find("Path=" + h.home + "/Big"), std::string::npos);

    const auto written = SharedSnapshot::read();
    ASSERT_TRUE(written.has_value());
    const auto names = topFolderNames(*written);
    EXPECT_EQ(std::count(names.begin(), names.end(), "Big"), 0) << ::testing::PrintToString(names);
    EXPECT_EQ(std::tuple(written->total, names.front(), written->topFolders.front().size,
                         scan.tree.find(".local")->size),
              std::tuple(total, ".local", local + big, local + big));

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
    buildTree(root, {{Entry::folder, "a/inner"}, {Entry::folder, "b"}});
    HeldScan scan = heldScanOf(root);
    std::vector<std::string> notes;
    followPins(scan, Preferences{{}, {}, false, {root + "/a/inner", h.home + "/elsewhere"}}, notes);
    EXPECT_EQ(publishedAreaNames(), std::vector<std::string>{"a/inner"});
    followPins(scan, Preferences{}, notes);
    EXPECT_EQ(publishedAreaNames(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(notes, std::vector<std::string>{});
}

// A Disk Breakdown tile opens the window on its area's folder: the `brimlet` front turns the
// area the desk passes into the folder under the recorded root, and every area it cannot place
// into the root itself; without a published scan the window opens as it chooses.
TEST(AreaFolder, TheDeskAreaBecomesItsFolderOrTheRoot) {
    const PrivateHome& h = privateHome();
    const FixedWorld world;
    const std::string root = h.home + "/areas", cafe = "caf\xC3\xA9";
    for (const std::string& folder : std::vector<std::string>{"a/inner", cafe, "gone"})
        buildTree(root, {{Entry::file, folder + "/f", 16 << 10}});
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
    buildTree(root, {{Entry::file, "Attic/Old/film.mkv", 400 << 10},
                     {Entry::file, "Keep/a.txt", 8 << 10}});
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
    EXPECT_EQ(SharedSnapshot::read().value().encode(2), result->held->snapshot.encode(2));
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
