// The Brimlet window end to end, under Xvfb with a session bus: its screenshot of a scanned tree,
// its folder list as a screen reader reads it, its first page when the last scan is unreadable,
// the desk opening it, and the `brimlet` front that never loads GTK itself.

#include <cairo.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/history/history.h"
#include "app/scan/walk.h"
#include "extension/shared/identifiers.h"
#include "platform/foundation/file.h"
#include "tests/support/scratch.h"

namespace {

namespace fs = std::filesystem;

const std::string kBin = BRIMLET_BINARY_DIR;
const std::string kHere = std::string(BRIMLET_SOURCE_DIR) + "/tests/app/gui";

// Standard output and the exit status of a shell command.
struct Outcome {
    int status = -1;
    std::string output;
};

Outcome run(const std::string& command) {
    Outcome result{-1, {}};
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) {
        result.output.append(buffer, n);
    }
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"xvfb-run", "dbus-run-session", "fallocate"}) {
            if (run(std::string("command -v ") + tool).status != 0) GTEST_SKIP() << "no " << tool;
        }
        if (!fs::exists(kBin + "/brimlet-app")) GTEST_SKIP() << "brimlet-app is not built";
        // A home of its own: the snapshot, the placed widgets and the settings stay in here.
        env_ = "env -i PATH=/usr/bin:/bin LANG=C.UTF-8 GSK_RENDERER=cairo HOME=" + scratch_.path() +
               " XDG_DATA_HOME=" + (scratch_ / "data") + " XDG_STATE_HOME=" + (scratch_ / "state") +
               " XDG_CONFIG_HOME=" + (scratch_ / "config") + " ";
        // Sizes in units of 64 KiB: the biggest folder holds some 100 MB.
        tree_ = scratch_ / "home";
        ASSERT_EQ(run(kHere + "/sample_home.sh " + tree_ + " 64").status, 0);
    }
    // `command` under a display of its own and a session bus of its own.
    // The server numbers start from this process's id: other test runs on the machine look for
    // a free display at the same time, and xvfb-run's -a alone races them from :99.
    // On a busy machine xvfb-run now and then hands over a display that refuses its first
    // client; that run is tried once more.
    Outcome session(const std::string& command) {
        Outcome outcome;
        for (int attempt = 0; attempt < 2; ++attempt) {
            // A display number not used before by this process: a server just ended may still
            // hold its own for a moment.
            const std::string server = std::to_string(100 + (::getpid() * 16 + sessions_++) % 800);
            outcome = run(env_ + "xvfb-run -a -n " + server +
                          " -s '-screen 0 1400x900x24' dbus-run-session -- " + command);
            if (outcome.output.find("cannot open display") == std::string::npos) break;
        }
        return outcome;
    }
    Outcome check(const std::string& what) {
        return session("/usr/bin/python3 " + kHere + "/window_check.py " + what);
    }
    std::string container() const {
        return scratch_ / ("data/" + std::string(brimlet::kAppGroupIdentifier));
    }

    const brimlet_test::ScratchDir scratch_;
    std::string env_, tree_;
    int sessions_ = 0;
};

// The picture has the window's size, holds the treemap's colours, and the scan went through the
// same code as `brimlet scan`: the widgets' snapshot is written.
TEST_F(WindowTest, ScreenshotShowsTheScannedTreeAndTheSnapshotIsWritten) {
    const std::string png = scratch_ / "window.png";
    const Outcome shot = session(kBin + "/brimlet --screenshot " + png + " " + tree_);
    ASSERT_EQ(shot.status, 0) << shot.output;
    const std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> image(
        cairo_image_surface_create_from_png(png.c_str()), &cairo_surface_destroy);
    ASSERT_EQ(cairo_surface_status(image.get()), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(image.get()), 1180);
    EXPECT_EQ(cairo_image_surface_get_height(image.get()), 720);
    // The treemap's blocks: pixels of a strong colour over a good part of the window (the
    // first page, or a blank window, has next to none).
    int coloured = 0, sampled = 0;
    const auto* data = cairo_image_surface_get_data(image.get());
    const int stride = cairo_image_surface_get_stride(image.get());
    for (int y = 0; y < 720; y += 4) {
        for (int x = 0; x < 1180; x += 4, ++sampled) {
            const auto* p = data + y * stride + x * 4;
            const auto [low, high] = std::minmax({p[0], p[1], p[2]});
            coloured += high - low > 80 ? 1 : 0;
        }
    }
    EXPECT_GT(coloured, sampled / 8) << "no treemap in the picture";
    const std::string text =
        foundation::readWholeFile(container() + "/snapshot.json").value_or("(none)");
    EXPECT_NE(text.find("\"Videos\""), std::string::npos) << text;
}

// Read as a screen reader reads it; then, from the keyboard: Enter goes in, Backspace out, and
// typing the start of a name finds its row; and quitting ends the program cleanly.
TEST_F(WindowTest, TheFolderListReadsBiggestFirstAndGoesInAndOutByKeyboard) {
    const std::string window = " -- " + kBin + "/brimlet " + tree_;
    const Outcome read = check("folders Videos Projects Pictures Downloads Music" + window);
    EXPECT_EQ(read.status, 0) << read.output;
    const Outcome keys = check("keys Videos mu Music" + window);
    EXPECT_EQ(keys.status, 0) << keys.output;
    // Closing takes the list apart while its sorter still announces changes.
    const Outcome quit = check("quit" + window);
    EXPECT_EQ(quit.status, 0) << quit.output;
}

// Three scans of a home folder remembered over eight days, written through the history API: the
// oldest without Downloads and with Videos 20 MiB smaller. The window opens on the latest record
// at once, compares it with the one a week ago, and reads its chart's figures.
TEST_F(WindowTest, TheWindowOpensOnTheLastRecordWithEachFoldersChange) {
    const brimlet::FolderTree walked = brimlet::walkTree(tree_);
    const double now = foundation::Date::now().secondsSinceReferenceDate;
    constexpr std::int64_t kGiB = 1 << 30, kGrown = 20 << 20;
    brimlet::HistoryRecord latest =
        brimlet::buildRecord(walked, 305 * kGiB, 500 * kGiB, foundation::Date{now - 3600});
    brimlet::HistoryRecord middle = latest, oldest = latest;
    middle.summary.time = foundation::Date{now - 3 * 86400.0};
    middle.summary.used = 303 * kGiB;
    oldest.summary.time = foundation::Date{now - 8 * 86400.0};
    oldest.summary.used = 300 * kGiB;
    std::erase_if(oldest.folders, [](const auto& f) { return f.path.starts_with("Downloads"); });
    for (auto& folder : oldest.folders) {
        if (folder.path == "Videos" || folder.path.empty()) folder.size -= kGrown;
    }
    fs::create_directories(scratch_ / "data/brimlet");
    {
        brimlet::History history(scratch_ / "data/brimlet/history.sqlite3",
                                 brimlet::History::Access::write);
        for (const auto* record : {&oldest, &middle, &latest}) history.add(*record);
    }
    // The home is the sample tree, whose records these are; no scan runs.
    const std::string window = " -- env HOME=" + tree_ + " " + kBin + "/brimlet";
    const Outcome seen =
        check("history 'Used space over 3 scans' Videos '+20.0 MB' Downloads New" + window);
    EXPECT_EQ(seen.status, 0) << seen.output;
    const std::string png = scratch_ / "history.png";
    const Outcome shot = session("env HOME=" + tree_ + " " + kBin + "/brimlet --screenshot " + png);
    ASSERT_EQ(shot.status, 0) << shot.output;
    EXPECT_TRUE(fs::exists(png));
    // A folder asked for while a record is shown is scanned (a record lacks the smaller
    // folders), and the picture waits for that scan.
    const Outcome scanned = session("env HOME=" + tree_ + " timeout 120 " + kBin +
                                    "/brimlet --screenshot " + png + " " + tree_);
    EXPECT_EQ(scanned.status, 0) << scanned.output;
    EXPECT_TRUE(fs::exists(container() + "/snapshot.json"));
    // For a look at the picture: BRIMLET_TEST_PICTURES names a folder to keep it in.
    if (const char* keep = std::getenv("BRIMLET_TEST_PICTURES")) {
        fs::copy_file(png, std::string(keep) + "/history.png",
                      fs::copy_options::overwrite_existing);
    }
}

TEST_F(WindowTest, PreferencesOpenWithEveryControlNamedAndRefuseABadPattern) {
    const Outcome seen = check("preferences -- " + kBin + "/brimlet " + tree_);
    EXPECT_EQ(seen.status, 0) << seen.output;
}

// Through the header bar's folder menu and the confirmation, as a person would: the folder is in
// the private trash with its .trashinfo, and the widgets' snapshot, rewritten without a rescan,
// no longer lists it. The next folder, replaced since the scan, stays where it is.
TEST_F(WindowTest, MoveToTrashFromTheFolderMenuTakesTheFolderOutOfTheSnapshot) {
    const Outcome trashed =
        check("trash Videos Projects " + tree_ + " -- " + kBin + "/brimlet " + tree_);
    ASSERT_EQ(trashed.status, 0) << trashed.output;
    EXPECT_TRUE(fs::exists(scratch_ / "data/Trash/files/Videos/holiday-2024.mp4"));
    EXPECT_TRUE(fs::exists(scratch_ / "data/Trash/info/Videos.trashinfo"));
    EXPECT_FALSE(fs::exists(tree_ + "/Videos"));
    const std::string text =
        foundation::readWholeFile(container() + "/snapshot.json").value_or("(none)");
    EXPECT_EQ(text.find("\"Videos\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"Projects\""), std::string::npos) << text;
    EXPECT_FALSE(fs::exists(scratch_ / "data/Trash/files/Projects"));
    EXPECT_TRUE(fs::exists(tree_ + "/Projects.old/brimlet"));
}

// A snapshot that cannot be read: the first page, naming the file, offering the scan.
TEST_F(WindowTest, AnUnreadableSnapshotOpensTheScanPageNamingTheFile) {
    fs::create_directories(container());
    std::ofstream(container() + "/snapshot.json") << "{ not json";
    const Outcome seen = check("welcome " + container() + "/snapshot.json -- " + kBin + "/brimlet");
    EXPECT_EQ(seen.status, 0) << seen.output;
}

// A German desktop gets the window in German: texts of the .ui files and of the code, with the
// path put into its sentence. (In English the same page is the one checked above.)
TEST_F(WindowTest, AGermanDesktopGetsTheWindowInGerman) {
    if (run("locale -a | grep -qiE '^de_DE\\.utf-?8$'").status != 0) {
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
    }
    fs::create_directories(container());
    std::ofstream(container() + "/snapshot.json") << "{ not json";
    const Outcome seen = check(
        "shows 'Persönlichen Ordner scannen' Hauptmenü 'Sehen Sie, wo Ihr Speicherplatz' "
        "'Der letzte Scan, " +
        container() + "/snapshot.json, kann nicht gelesen werden' -- env LANG=de_DE.UTF-8 " + kBin +
        "/brimlet");
    EXPECT_EQ(seen.status, 0) << seen.output;
}

TEST_F(WindowTest, AClickOnADeskTileOpensBrimlet) {
    if (!fs::exists(kBin + "/brimlet-desk")) GTEST_SKIP() << "brimlet-desk is not built";
    ASSERT_EQ(run(env_ + kBin + "/brimlet-widgets place breakdown --family medium").status, 0);
    const Outcome seen = check("desk -- " + kBin + "/brimlet-desk");
    EXPECT_EQ(seen.status, 0) << seen.output;
}

// The commands never load GTK; without a display the front says how to scan instead, and a
// word that names no folder is still a mistyped command.
TEST_F(WindowTest, TheFrontStartsWithoutGtk) {
    const Outcome libraries = run("ldd " + kBin + "/brimlet");
    ASSERT_EQ(libraries.status, 0);
    EXPECT_EQ(libraries.output.find("libgtk"), std::string::npos) << libraries.output;
    const Outcome headless = run(env_ + kBin + "/brimlet");
    EXPECT_EQ(headless.status, 1);
    EXPECT_EQ(headless.output,
              "brimlet: no display; to scan from a terminal, run 'brimlet scan'\n");
    EXPECT_EQ(run(env_ + "DISPLAY=:0 " + kBin + "/brimlet frobnicate").status, 2);
}

}  // namespace
