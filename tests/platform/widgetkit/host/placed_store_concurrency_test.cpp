// Many writers of one placed-widget store at once: threads of this process and child processes,
// each placing, configuring and removing. Every change goes through PlacedStore::update, so no
// widget may be lost, no id handed out twice, and the file must stay valid.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/file.h"
#include "platform/widgetkit/host/placed_store.h"
#include "tests/support/scratch.h"

namespace widgetkit::host {
namespace {

constexpr int kRounds = 12;
constexpr std::size_t kThreads = 4;
constexpr int kProcesses = 3;
constexpr const char* kKind = "org.brimlet.Brimlet.breakdown";

// What one writer did, a line each: every id it was handed, followed by the area it stored
// last, or by "-" when it removed the widget again.
using Outcome = std::string;

// Places a widget each round, configures it with the writer's name, and removes every third.
Outcome write(const PlacedStore& store, const std::string& writer) {
    Outcome outcome;
    for (int round = 0; round < kRounds; ++round) {
        std::string id, area = writer + "-" + std::to_string(round);
        store.update([&](PlacedWidgets& placed) {
            id = placed.newId();
            placed.widgets.push_back({id, kKind, WidgetFamily::systemMedium, std::nullopt});
        });
        store.update([&](PlacedWidgets& placed) {
            if (PlacedWidget* w = placed.find(id)) w->area = area;
        });
        if (round % 3 == 2) {
            store.update([&](PlacedWidgets& placed) {
                std::erase_if(placed.widgets, [&](const PlacedWidget& w) { return w.id == id; });
            });
            area = "-";
        }
        outcome += id + " " + area + "\n";
    }
    return outcome;
}

TEST(PlacedStoreConcurrency, ThreadsAndProcessesNeverLoseAWidgetOrReuseAnId) {
    const brimlet_test::ScratchDir dir;
    const PlacedStore store(dir / "state/placed.json");
    // Each writer leaves its outcome in a file of its name.
    const auto run = [&](const std::string& writer) {
        return foundation::writeFileAtomically(dir / writer, write(store, writer)).ok();
    };
    std::vector<std::string> writers;
    std::vector<pid_t> children;  // forked before any thread starts
    for (int p = 0; p < kProcesses; ++p) {
        writers.push_back("process" + std::to_string(p));
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) ::_exit(run(writers.back()) ? 0 : 1);
        children.push_back(pid);
    }
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < kThreads; ++t) {
        writers.push_back("thread" + std::to_string(t));
        threads.emplace_back([&run, writer = writers.back()] { EXPECT_TRUE(run(writer)); });
    }
    for (auto& thread : threads) thread.join();
    for (const pid_t pid : children) {
        int status = -1;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer process failed";
    }

    // The file holds exactly the kept widgets, each once, with its last area.
    std::map<std::string, std::string> expected, stored;
    std::set<std::string> everyId;
    std::size_t handedOut = 0;
    for (const auto& writer : writers) {
        std::istringstream lines(foundation::readWholeFile(dir / writer).value_or(""));
        for (std::string id, area; lines >> id >> area; ++handedOut) {
            everyId.insert(id);
            if (area != "-") expected[id] = area;
        }
    }
    EXPECT_EQ(handedOut, std::size_t{kRounds} * (kThreads + kProcesses));
    EXPECT_EQ(everyId.size(), handedOut) << "an id was handed out twice";
    for (const auto& w : store.load().widgets) stored[w.id] = w.area.value_or("(none)");
    EXPECT_EQ(stored, expected);
}

}  // namespace
}  // namespace widgetkit::host
