// brimlet-desk end to end under Xvfb: its tiles are the pixels of `brimlet-widgets render`, and a
// new snapshot reaches the breakdown tile within a second, with nothing polled.

#include <cairo.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/scratch.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const std::string kBin = BRIMLET_BINARY_DIR;

// A picture read back with cairo: premultiplied ARGB32 words.
struct Image {
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface;
    int width, height;
    explicit Image(const std::string& path)
        : surface(cairo_image_surface_create_from_png(path.c_str()), &cairo_surface_destroy),
          width(cairo_image_surface_get_width(surface.get())),
          height(cairo_image_surface_get_height(surface.get())) {}
    bool ok() const { return cairo_surface_status(surface.get()) == CAIRO_STATUS_SUCCESS; }
    std::uint32_t at(int x, int y) const {
        const int stride = cairo_image_surface_get_stride(surface.get());
        std::uint32_t v = 0;
        std::memcpy(&v, cairo_image_surface_get_data(surface.get()) + y * stride + x * 4, 4);
        return v;
    }
};

// Whether `tile` lies at (x, y) in `screen`: every pixel equal to the tile over the desk's
// background (read in the gap beside the tile), within rounding; opaque pixels exactly.
bool matchesAt(const Image& screen, const Image& tile, int x, int y) {
    if (x < 2) return false;
    const std::uint32_t background = screen.at(x - 2, y + tile.height / 2);
    for (int ty = 0; ty < tile.height; ++ty) {
        for (int tx = 0; tx < tile.width; ++tx) {
            const std::uint32_t t = tile.at(tx, ty), s = screen.at(x + tx, y + ty);
            const std::uint32_t alpha = t >> 24;
            for (const int shift : {0, 8, 16}) {
                const auto part = [shift](std::uint32_t v) { return int((v >> shift) & 0xff); };
                const int expected = part(t) + part(background) * int(255 - alpha) / 255;
                if (std::abs(expected - part(s)) > (alpha == 255 ? 0 : 2)) return false;
            }
        }
    }
    return true;
}

// Where `tile` lies in `screen`, found by its middle pixel and checked whole.
std::optional<std::pair<int, int>> locate(const Image& screen, const Image& tile) {
    const int cx = tile.width / 2, cy = tile.height / 2;
    for (int y = 0; y + tile.height <= screen.height; ++y) {
        for (int x = 0; x + tile.width <= screen.width; ++x) {
            if (screen.at(x + cx, y + cy) == tile.at(cx, cy) && matchesAt(screen, tile, x, y)) {
                return std::make_pair(x, y);
            }
        }
    }
    return std::nullopt;
}

class DeskTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v xvfb-run >/dev/null") != 0) GTEST_SKIP() << "no xvfb-run";
        if (!fs::exists(kBin + "/brimlet-desk")) GTEST_SKIP() << "brimlet-desk is not built";
        // The fullness tiles show the home's volume, which other processes' writes keep changing
        // on the temporary folder's disk; a home on /dev/shm (tmpfs) holds still, as long as the
        // pictures are written elsewhere.
        const std::string name = fs::path(pictures_.path()).filename().string();
        home_ = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm/" + name : pictures_ / "home";
        env_ = "env -i PATH=/usr/bin:/bin HOME=" + home_.string() +
               " LANG=C.UTF-8 GSK_RENDERER=cairo ";
        scanWith("a/one.bin", 300000);
    }
    void TearDown() override {
        if (!home_.empty()) fs::remove_all(home_);
    }

    // Adds a file of `bytes` bytes to the scanned folder and scans it, replacing the snapshot.
    void scanWith(const std::string& relative, std::size_t bytes) {
        const fs::path file = home_ / "data" / relative;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << std::string(bytes, 'x');
        ASSERT_EQ(sh(kBin + "/brimlet scan " + (home_ / "data").string() + " >/dev/null 2>&1"), 0);
    }
    int sh(const std::string& command) { return std::system((env_ + command).c_str()); }
    std::string place(const std::string& widget, const std::string& family) {
        const std::string out = path("id");
        EXPECT_EQ(sh(kBin + "/brimlet-widgets place " + widget + " --family " + family + ">" + out),
                  0);
        std::string id;
        std::ifstream(out) >> id;
        return id;
    }
    // `brimlet-widgets render` of a placed widget into the picture `name`.
    void render(const std::string& id, const std::string& name, int scale = 1) {
        const std::string out = " --scale " + std::to_string(scale) + " -o " + path(name);
        ASSERT_EQ(sh(kBin + "/brimlet-widgets render --placed " + id + out), 0);
    }
    std::string path(const std::string& name) const { return pictures_ / name; }

    const brimlet_test::ScratchDir pictures_;
    fs::path home_;  // the home folder: the store, the data home, the scanned folder
    std::string env_;
};

// A bad argument, whatever it holds, is exit 2 and one line on standard error with the argument
// escaped; the display is never opened.
TEST_F(DeskTest, ABadArgumentIsOneEscapedLineAndExitTwo) {
    const std::string err = path("err");
    const int status = sh(kBin + "/brimlet-desk \"$(printf 'x\\033]0;\\nPWNED\\007y')\" 2>" + err);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    std::ostringstream text;
    text << std::ifstream(err).rdbuf();
    EXPECT_EQ(text.str(),
              "brimlet-desk: unknown argument 'x\\e]0;\\nPWNED\\x07y' (--help for more)\n");
}

// The desk stays open and writes its screenshot again whenever a tile is drawn anew.
TEST_F(DeskTest, TilesArePixelForPixelWhatRenderDrawsAndANewSnapshotRedrawsTheTile) {
    const std::vector<std::string> ids{place("fullness", "small"), place("fullness", "medium"),
                                       place("breakdown", "large")};
    const std::string shot = path("desk.png"), breakdown = path("tile-" + ids[2] + ".png");
    // The desk's process id comes back on the pipe; ending it ends xvfb-run and its Xvfb,
    // however the test leaves.
    pid_t desk = 0;
    const auto stop = [&desk](FILE* runner) {
        if (desk > 0) kill(desk, SIGTERM);
        pclose(runner);
    };
    std::unique_ptr<FILE, decltype(stop)> runner(nullptr, stop);
    const auto waitFor = [](const std::function<bool()>& ready, std::chrono::milliseconds limit) {
        for (const auto end = Clock::now() + limit; !ready(); std::this_thread::sleep_for(10ms)) {
            if (Clock::now() > end) return false;
        }
        return true;
    };
    // The free space may move between the desk's picture and render's; a few tries settle it.
    std::vector<std::string> missing;
    for (int attempt = 0; attempt < 3; ++attempt) {
        runner.reset();
        desk = 0;
        fs::remove(shot);
        const std::string command = env_ + "xvfb-run -a sh -c '" + kBin +
                                    "/brimlet-desk --screenshot " + shot +
                                    " --keep-open & echo $!; wait'";
        runner.reset(popen(command.c_str(), "r"));
        ASSERT_TRUE(runner && std::fscanf(runner.get(), "%d", &desk) == 1);
        ASSERT_TRUE(waitFor([&] { return fs::exists(shot); }, 60s)) << "no screenshot";
        missing.clear();
        const Image screen(shot);
        ASSERT_TRUE(screen.ok());
        for (const auto& id : ids) {
            render(id, "tile-" + id + ".png");
            const Image tile(path("tile-" + id + ".png"));
            ASSERT_TRUE(tile.ok());
            if (!locate(screen, tile)) missing.push_back(id);
        }
        if (missing.empty()) break;
    }
    ASSERT_TRUE(missing.empty()) << "tiles not found pixel for pixel: " << missing.size();

    const auto before = fs::last_write_time(shot);
    const auto at = locate(Image(shot), Image(breakdown));
    ASSERT_TRUE(at);
    scanWith("b/two.bin", 900000);
    // The tile follows the snapshot file, not its timeline's reload minutes later; the limit
    // only keeps a desk that never redraws from hanging the test.
    const bool redrawn = waitFor([&] { return fs::last_write_time(shot) != before; }, 10s);
    render(ids[2], "after.png");
    // Give a screenshot being written the moment to land, then compare it with the new tile.
    std::this_thread::sleep_for(300ms);
    runner.reset();
    ASSERT_TRUE(redrawn);
    const Image screen(shot), oldTile(breakdown), newTile(path("after.png"));
    EXPECT_FALSE(matchesAt(screen, oldTile, at->first, at->second));
    EXPECT_TRUE(matchesAt(screen, newTile, at->first, at->second));
}

// On a HiDPI display (scale 2) a tile is still render's picture at that scale, pixel for pixel:
// nothing on the way to the screen scales or filters it.
TEST_F(DeskTest, AtScaleTwoTilesArePixelForPixelWhatRenderDrawsAtScaleTwo) {
    const std::vector<std::string> ids{place("fullness", "small"), place("breakdown", "medium")};
    const std::string shot = path("desk-2x.png");
    std::vector<std::string> missing{"not tried"};
    for (int attempt = 0; attempt < 3 && !missing.empty(); ++attempt) {
        ASSERT_EQ(sh("GDK_SCALE=2 xvfb-run -a -s '-screen 0 1600x1200x24' " + kBin +
                     "/brimlet-desk --screenshot " + shot + " >/dev/null 2>&1"),
                  0);
        const Image screen(shot);
        ASSERT_TRUE(screen.ok());
        missing.clear();
        for (const auto& id : ids) {
            render(id, "tile-2x-" + id + ".png", 2);
            const Image tile(path("tile-2x-" + id + ".png"));
            ASSERT_TRUE(tile.ok());
            if (!locate(screen, tile)) missing.push_back(id);
        }
    }
    EXPECT_TRUE(missing.empty()) << "tiles not found pixel for pixel at scale 2: "
                                 << missing.size();
}

// A German start: not one warning from GTK or gtkmm (the locale is set once, before either
// starts), and the tile speaks the catalog's German as `render` does in the same locale.
TEST_F(DeskTest, AGermanStartWarnsOfNothingAndDrawsTheGermanTile) {
    if (sh("locale -a | grep -qiE '^de_DE\\.utf-?8$'") != 0) GTEST_SKIP() << "no de_DE.UTF-8";
    const std::string id = place("fullness", "medium");
    const std::string shot = path("desk.png"), err = path("err"), german = "LANG=de_DE.UTF-8 ";
    bool found = false;
    // The free space may move between the desk's picture and render's; a few tries settle it.
    for (int attempt = 0; attempt < 3 && !found; ++attempt) {
        ASSERT_EQ(
            sh(german + "xvfb-run -a " + kBin + "/brimlet-desk --screenshot " + shot + " 2>" + err),
            0);
        std::stringstream text;
        text << std::ifstream(err).rdbuf();
        ASSERT_EQ(text.str(), "");
        ASSERT_EQ(sh(german + kBin + "/brimlet-widgets render --placed " + id + " --scale 1 -o " +
                     path("tile.png")),
                  0);
        const Image screen(shot), tile(path("tile.png"));
        ASSERT_TRUE(screen.ok() && tile.ok());
        found = locate(screen, tile).has_value();
    }
    EXPECT_TRUE(found) << "the German tile is not on the desk pixel for pixel";
}

}  // namespace
