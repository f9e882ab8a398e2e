// The Preferences dialog's controller: patterns refused as `--exclude` refuses them, a concurrent
// writer's change kept, a settings file that cannot be read never rewritten, and "Scan every day"
// against a test double of the systemd user manager on a private session bus (GDBus keeps these
// out of the ThreadSanitizer build; the coalescing of requests is tested there with a fake).

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

#include "app/explore/preferences_controller.h"
#include "tests/app/manager_double.h"
#include "tests/support/scratch.h"

namespace brimlet {
namespace {

using namespace brimlet_test;
namespace fs = std::filesystem;

std::string contents(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

struct Home {
    ScratchDir scratch;
    std::string home = scratch / "ada";
    std::string file = scratch / "config/brimlet/brimlet.conf";
    ScopedEnv env{"HOME", home};
    Home() { fs::create_directories(home + "/Videos"); }
};

// A controller whose schedule calls are counted and waited for.
struct Controlled {
    explicit Controlled(const std::string& file, const std::string& bus = "unix:path=/nonexistent")
        : controller(file, callsOf(ScanSchedule(bus)), [this] {
              std::lock_guard lock(mutex);
              ++answers;
              answered.notify_all();
          }) {}
    // Waits until the controller has nothing in flight, then gives what it shows.
    ScheduleState settled() {
        std::unique_lock lock(mutex);
        answered.wait(lock, [this] { return answers > 0 && !controller.scheduleView().busy; });
        return *controller.scheduleView().state;
    }
    std::mutex mutex;
    std::condition_variable answered;
    int answers = 0;
    PreferencesController controller;  // last: its thread may call back into the members above
};

TEST(PreferencesController, RefusesWhatExcludeRefusesInOneLineAndStoresNothing) {
    const Home h;
    Controlled c(h.file);
    ASSERT_TRUE(c.controller.addPattern("*.iso"));
    const std::string stored = contents(h.file);
    const std::pair<std::string, std::string> refused[] = {
        {"", "empty pattern"},
        {"./", "scanned folder itself"},
        {"ada", "scanned folder itself"},
        {"/etc/passwd", "/etc/passwd"},
        {"*.iso", "already"},
    };
    for (const auto& [pattern, why] : refused) {
        SCOPED_TRACE(pattern);
        EXPECT_FALSE(c.controller.addPattern(pattern));
        const std::string& line = c.controller.problem();
        EXPECT_NE(line.find(why), std::string::npos) << line;
        EXPECT_EQ(line.find('\n'), std::string::npos);
        EXPECT_NE(line.rfind("--exclude", 0), 0u) << line;
    }
    EXPECT_EQ(contents(h.file), stored);
    // Accepted: an anchored path below the folder scanned by default, after a refusal.
    EXPECT_TRUE(c.controller.addPattern(h.home + "/Videos"));
    EXPECT_TRUE(c.controller.problem().empty());
    EXPECT_TRUE(c.controller.removePattern("*.iso"));
    EXPECT_EQ(loadSettings(h.file).preferences.exclude,
              std::vector<std::string>{h.home + "/Videos"});
}

// The home folder chosen is stored as no folder; another folder as itself; a missing one refused.
TEST(PreferencesController, StoresTheDefaultFolderAndKeepsAConcurrentPin) {
    const Home h;
    Controlled c(h.file);
    ASSERT_TRUE(c.controller.setFolder(h.home + "/Videos"));
    EXPECT_EQ(loadSettings(h.file).preferences.folder, h.home + "/Videos");
    EXPECT_FALSE(c.controller.setFolder(h.home + "/gone"));
    EXPECT_FALSE(c.controller.setFolder("Videos"));
    EXPECT_EQ(c.controller.defaultFolder(), h.home + "/Videos");
    ASSERT_TRUE(c.controller.setFolder(h.home));
    EXPECT_EQ(loadSettings(h.file).preferences.folder, std::nullopt);
    EXPECT_EQ(contents(h.file).find("Folder="), std::string::npos);

    // `brimlet pin` writes while the dialog is open; the dialog's next change keeps the pin.
    (void)updateSettings(h.file, [&](Preferences& p) { p.pins.push_back(h.home + "/Videos"); });
    ASSERT_TRUE(c.controller.setExcludeCaches(true));
    const Preferences stored = loadSettings(h.file).preferences;
    EXPECT_TRUE(stored.excludeCaches);
    EXPECT_EQ(stored.pins, std::vector<std::string>{h.home + "/Videos"});
    ASSERT_EQ(c.controller.pins().size(), 1u);
    EXPECT_FALSE(c.controller.pins().front().missing);
}

// Not a key file, a folder where the file should be, and no settings path at all: the controls
// stay insensitive, the line names the file, and no change touches it.
TEST(PreferencesController, NeverRewritesASettingsFileThatCannotBeRead) {
    const Home h;
    fs::create_directories(fs::path(h.file).parent_path());
    const std::string garbage = "Folder=/srv\n[Scan\n";
    std::ofstream(h.file) << garbage;
    const std::string folderInstead = h.scratch / "folder.conf";
    fs::create_directories(folderInstead);
    for (const std::string& file : {h.file, folderInstead, std::string()}) {
        SCOPED_TRACE(file);
        Controlled c(file);
        EXPECT_FALSE(c.controller.changeable());
        EXPECT_NE(c.controller.problem().find(file), std::string::npos) << c.controller.problem();
        EXPECT_FALSE(c.controller.addPattern("*.iso"));
        EXPECT_FALSE(c.controller.setExcludeCaches(true));
        EXPECT_FALSE(c.controller.setFolder(h.home));
        EXPECT_FALSE(c.controller.unpin(h.home + "/Videos"));
    }
    EXPECT_EQ(contents(h.file), garbage);
    EXPECT_TRUE(fs::is_directory(folderInstead));
    // Unknown keys are one line, and changes go through, keeping them.
    std::ofstream(h.file) << "[Scan]\nColour=blue\n";
    Controlled c(h.file);
    EXPECT_TRUE(c.controller.changeable());
    EXPECT_NE(c.controller.problem().find("Colour"), std::string::npos);
    EXPECT_TRUE(c.controller.setExcludeCaches(true));
    EXPECT_NE(contents(h.file).find("Colour=blue"), std::string::npos);
}

// On, then off, against the double; then no manager on the bus: greyed, with the reason.
TEST(PreferencesController, ScanEveryDayGoesThroughTheUserManagerOffTheCallersThread) {
    if (!haveDouble()) GTEST_SKIP() << "needs dbus-run-session, python3-dbus and python3-gi";
    const Home h;
    const ManagerDouble manager({});
    ASSERT_FALSE(manager.address().empty());
    Controlled c(h.file, manager.address());
    c.controller.refreshSchedule();
    EXPECT_FALSE(c.settled().enabled);
    c.controller.setScanDaily(true);
    const ScheduleState on = c.settled();
    EXPECT_TRUE(on.available && on.enabled && on.nextRun) << on.reason;
    c.controller.setScanDaily(false);
    const ScheduleState off = c.settled();
    EXPECT_TRUE(off.available && !off.enabled && !off.nextRun) << off.reason;
    EXPECT_EQ(manager.calls(),
              "EnableUnitFiles brimlet-scan.timer\nReload\nStartUnit brimlet-scan.timer replace\n"
              "StopUnit brimlet-scan.timer replace\nDisableUnitFiles brimlet-scan.timer\n"
              "Reload\n");

    const ManagerDouble nameless({"--no-name"});
    Controlled absent(h.file, nameless.address());
    absent.controller.setScanDaily(true);
    const ScheduleState none = absent.settled();
    EXPECT_FALSE(none.available || none.enabled);
    EXPECT_NE(none.reason.find("no systemd user manager"), std::string::npos) << none.reason;
}

}  // namespace
}  // namespace brimlet
