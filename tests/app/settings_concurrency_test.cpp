// Writers of one settings file meeting: threads of this process, each changing its own key or
// adding its own pin, and, where the programs are built, two `brimlet pin` processes at once.
// Every change survives: each writer reads, changes and writes under the file's lock.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/settings/settings.h"
#include "tests/support/scratch.h"

namespace brimlet {
namespace {

using namespace brimlet_test;
namespace fs = std::filesystem;

constexpr int kThreads = 4;
constexpr int kPinsPerThread = 10;
constexpr int kPinsPerProcess = 5;

TEST(SettingsConcurrency, NoWriterLosesAnotherWritersChange) {
    const ScratchDir dir;
    const std::string config = dir / "config";
    const std::string path = config + "/brimlet/brimlet.conf";
    const std::string brimlet = std::string(BRIMLET_BINARY_DIR) + "/brimlet";
    const bool programs = fs::exists(brimlet);
    for (int i = 0; i < kPinsPerProcess * 2; ++i)
        fs::create_directories(dir / ("p" + std::to_string(i)));

    std::vector<std::thread> writers;
    if (programs) {
        for (int process = 0; process < 2; ++process) {
            writers.emplace_back([&, process] {
                std::string script;
                for (int i = 0; i < kPinsPerProcess; ++i) {
                    script += "XDG_CONFIG_HOME=" + config + " XDG_DATA_HOME=" + dir / "data" + " " +
                              brimlet + " pin " +
                              dir / ("p" + std::to_string(process * kPinsPerProcess + i)) +
                              " 2>/dev/null || exit 1; ";
                }
                EXPECT_EQ(std::system(script.c_str()), 0);
            });
        }
    }
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&, t] {
            for (int i = 0; i < kPinsPerThread; ++i) {
                (void)updateSettings(path, [&](Preferences& p) {
                    p.pins.push_back("/thread" + std::to_string(t) + "/" + std::to_string(i));
                    if (t == 0) p.exclude.push_back("pattern" + std::to_string(i));
                    if (t == 1) p.excludeCaches = true;
                });
            }
        });
    }
    for (auto& w : writers) w.join();

    const LoadedSettings loaded = loadSettings(path);
    EXPECT_EQ(loaded.problems, std::vector<std::string>{});
    const Preferences& p = loaded.preferences;
    EXPECT_EQ(p.pins.size(),
              std::size_t{kThreads * kPinsPerThread} + (programs ? 2 * kPinsPerProcess : 0));
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kPinsPerThread; ++i) {
            const std::string pin = "/thread" + std::to_string(t) + "/" + std::to_string(i);
            EXPECT_EQ(std::count(p.pins.begin(), p.pins.end(), pin), 1) << pin;
        }
    }
    EXPECT_EQ(p.exclude.size(), std::size_t{kPinsPerThread});
    EXPECT_TRUE(p.excludeCaches);
}

}  // namespace
}  // namespace brimlet
