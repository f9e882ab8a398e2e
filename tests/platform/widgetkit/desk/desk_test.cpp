// brimlet-desk end to end under Xvfb: its tiles are the pixels of `brimlet-widgets render`, and a
// new snapshot reaches the breakdown tile within a second, with nothing polled.

#include <cairo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string kBin = BRIMLET_BINARY_DIR;

bool onPath(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// A picture read back with cairo: premultiplied ARGB32 words.
class Image {
public:
    explicit Image(const std::string& path)
        : surface_(cairo_image_surface_create_from_png(path.c_str())) {}
    ~Image() { cairo_surface_destroy(surface_); }
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    bool ok() const { return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS; }
    int width() const { return cairo_image_surface_get_width(surface_); }
    int height() const { return cairo_image_surface_get_height(surface_); }
    std::uint32_t at(int x, int y) const {
        const unsigned char* row =
            cairo_image_surface_get_data(surface_) +
            static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface_);
        std::uint32_t v = 0;
        std::memcpy(&v, row + static_cast<std::ptrdiff_t>(x) * 4, 4);
        return v;
    }

private:
    cairo_surface_t* surface_;
};

int channel(std::uint32_t v, int shift) { return static_cast<int>((v >> shift) & 0xff); }

// Whether `tile` lies at (x, y) in `screen`: every opaque pixel equal, and every translucent one
// (the rounded corners) equal to the tile over the desk's background, within rounding. The
// background is read beside the tile, in the gap between tiles.
bool matchesAt(const Image& screen, const Image& tile, int x, int y) {
    if (x < 2) return false;
    const std::uint32_t background = screen.at(x - 2, y + tile.height() / 2);
    for (int ty = 0; ty < tile.height(); ++ty) {
        for (int tx = 0; tx < tile.width(); ++tx) {
            const std::uint32_t t = tile.at(tx, ty);
            const std::uint32_t s = screen.at(x + tx, y + ty);
            const int alpha = channel(t, 24);
            if (alpha == 255) {
                if (t != s) return false;
                continue;
            }
            for (const int shift : {0, 8, 16}) {
                const int expected = channel(t, shift) + channel(background, shift) * (255 - alpha) / 255;
                if (std::abs(expected - channel(s, shift)) > 2) return false;
            }
        }
    }
    return true;
}

// Where `tile` lies in `screen`, found by its middle pixel and checked whole.
std::optional<std::pair<int, int>> locate(const Image& screen, const Image& tile) {
    const int cx = tile.width() / 2, cy = tile.height() / 2;
    const std::uint32_t middle = tile.at(cx, cy);
    for (int y = 0; y + tile.height() <= screen.height(); ++y) {
        for (int x = 0; x + tile.width() <= screen.width(); ++x) {
            if (screen.at(x + cx, y + cy) != middle) continue;
            if (matchesAt(screen, tile, x, y)) return std::make_pair(x, y);
        }
    }
    return std::nullopt;
}

class DeskTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!onPath("xvfb-run")) GTEST_SKIP() << "xvfb-run is not installed (Debian: xvfb xauth)";
        if (!fs::exists(kBin + "/brimlet-desk")) GTEST_SKIP() << "brimlet-desk is not built";
        const std::string name = "desk-test-" + std::to_string(getpid()) + "-" +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        dir_ = fs::temp_directory_path() / name;
        // The fullness tiles show the home's volume, which other processes' writes keep changing
        // on the temporary folder's disk; a home on /dev/shm (tmpfs) holds still, as long as the
        // pictures are written elsewhere.
        std::error_code error;
        home_ = fs::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0
                    ? fs::path("/dev/shm") / name
                    : dir_ / "home";
        fs::remove_all(dir_);
        fs::remove_all(home_);
        fs::create_directories(dir_);
        fs::create_directories(home_ / "data/a");
        writeFile("data/a/one.bin", 300000);
        env_ = "env -i PATH=/usr/bin:/bin HOME=" + home_.string() +
               " LANG=C.UTF-8 GSK_RENDERER=cairo ";
        ASSERT_EQ(sh(kBin + "/brimlet scan " + (home_ / "data").string() + " >/dev/null 2>&1"), 0);
    }
    void TearDown() override {
        if (!dir_.empty()) fs::remove_all(dir_);
        if (!home_.empty()) fs::remove_all(home_);
    }

    // A file of `bytes` bytes in the home folder.
    void writeFile(const std::string& relative, std::size_t bytes) {
        std::ofstream(home_ / relative, std::ios::binary) << std::string(bytes, 'x');
    }
    int sh(const std::string& command) { return std::system((env_ + command).c_str()); }
    std::string place(const std::string& widget, const std::string& family) {
        const std::string out = (dir_ / "id").string();
        EXPECT_EQ(sh(kBin + "/brimlet-widgets place " + widget + " --family " + family + " > " + out),
                  0);
        std::ifstream in(out);
        std::string id;
        in >> id;
        return id;
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;   // the pictures
    fs::path home_;  // the home folder: the store, the data home, the scanned folder
    std::string env_;
};

TEST_F(DeskTest, TilesArePixelForPixelWhatRenderDraws) {
    const std::vector<std::string> ids{place("fullness", "small"), place("fullness", "medium"),
                                       place("breakdown", "large")};
    // The free space may move between the desk's picture and render's; a few tries settle it.
    std::vector<std::string> missing;
    for (int attempt = 0; attempt < 3; ++attempt) {
        ASSERT_EQ(sh("timeout 120 xvfb-run -a " + kBin + "/brimlet-desk --screenshot " +
                     path("desk.png")),
                  0);
        missing.clear();
        const Image screen(path("desk.png"));
        ASSERT_TRUE(screen.ok());
        for (const auto& id : ids) {
            ASSERT_EQ(sh(kBin + "/brimlet-widgets render --placed " + id + " --scale 1 -o " +
                         path("tile-" + id + ".png")),
                      0);
            const Image tile(path("tile-" + id + ".png"));
            ASSERT_TRUE(tile.ok());
            if (!locate(screen, tile)) missing.push_back(id);
        }
        if (missing.empty()) break;
    }
    EXPECT_TRUE(missing.empty()) << "tiles not found pixel for pixel: " << missing.size();
}

TEST_F(DeskTest, NewSnapshotRedrawsTheBreakdownTileWithinASecond) {
    const std::string id = place("breakdown", "medium");
    const std::string shot = path("live.png");
    const std::string pidFile = path("desk.pid");
    // The desk stays open and writes its screenshot again whenever a tile is drawn anew.
    pid_t runner = fork();
    ASSERT_GE(runner, 0);
    if (runner == 0) {
        const std::string command = env_ + "xvfb-run -a sh -c '" + kBin +
                                    "/brimlet-desk --screenshot " + shot +
                                    " --keep-open & echo $! > " + pidFile + "; wait'";
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // Ends the desk (and with it xvfb-run's Xvfb) however the test leaves.
    struct Stopper {
        std::string pidFile;
        pid_t runner;
        void operator()() {
            if (runner <= 0) return;
            for (int i = 0; i < 500 && !fs::exists(pidFile); ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            std::ifstream in(pidFile);
            pid_t desk = 0;
            if (in >> desk && desk > 0) kill(desk, SIGTERM);
            int status = 0;
            waitpid(runner, &status, 0);
            runner = 0;
        }
        ~Stopper() { (*this)(); }
    } stop{pidFile, runner};
    const auto waitFor = [](const std::function<bool()>& ready, std::chrono::milliseconds limit) {
        const auto end = Clock::now() + limit;
        while (Clock::now() < end) {
            if (ready()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return ready();
    };
    if (!waitFor([&] { return fs::exists(shot); }, std::chrono::seconds(60))) {
        stop();
        FAIL() << "the desk wrote no screenshot";
    }
    ASSERT_EQ(sh(kBin + "/brimlet-widgets render --placed " + id + " --scale 1 -o " +
                 path("before.png")),
              0);
    const auto before = fs::last_write_time(shot);
    std::optional<std::pair<int, int>> at;
    {
        const Image screen(shot), tile(path("before.png"));
        at = locate(screen, tile);
    }
    ASSERT_TRUE(at) << "the breakdown tile is not in the first screenshot";

    // A new scan with a bigger folder replaces the snapshot.
    fs::create_directories(home_ / "data/b");
    writeFile("data/b/two.bin", 900000);
    ASSERT_EQ(sh(kBin + "/brimlet scan " + (home_ / "data").string() + " >/dev/null 2>&1"), 0);
    const auto replaced = Clock::now();
    const bool redrawn = waitFor([&] { return fs::last_write_time(shot) != before; },
                                 std::chrono::seconds(5));
    const auto elapsed = Clock::now() - replaced;
    ASSERT_EQ(sh(kBin + "/brimlet-widgets render --placed " + id + " --scale 1 -o " +
                 path("after.png")),
              0);
    // Give a screenshot being written the moment to land, then compare it with the new tile.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    stop();
    ASSERT_TRUE(redrawn);
    EXPECT_LE(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 1000);
    const Image screen(shot), oldTile(path("before.png")), newTile(path("after.png"));
    EXPECT_FALSE(matchesAt(screen, oldTile, at->first, at->second));
    EXPECT_TRUE(matchesAt(screen, newTile, at->first, at->second));
}

}  // namespace
