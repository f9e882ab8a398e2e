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
#include "platform/foundation/json_reader.h"
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
    brimlet_test::ScratchDir dir;
    ASSERT_FALSE(dir.path().empty());
    const PlacedStore store(dir / "state/placed.json");

    // The children are forked before any thread starts, and report through a pipe each.
    std::vector<std::pair<pid_t, int>> children;
    for (int p = 0; p < kProcesses; ++p) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            try {
                const Outcome o = write(store, "process" + std::to_string(p));
                ::_exit(::write(fds[1], o.data(), o.size()) == ssize_t(o.size()) ? 0 : 1);
            } catch (...) {
                ::_exit(1);
            }
        }
        ::close(fds[1]);
        children.emplace_back(pid, fds[0]);
    }
    std::vector<Outcome> outcomes(kThreads);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] { outcomes[t] = write(store, "thread" + std::to_string(t)); });
    }
    for (auto& thread : threads) thread.join();
    for (const auto& [pid, fd] : children) {
        Outcome& o = outcomes.emplace_back();
        char buffer[4096];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) o.append(buffer, size_t(n));
        ::close(fd);
        int status = -1;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer process failed";
    }

    // The file is valid JSON and holds exactly the kept widgets, each once, with its last area.
    const auto text = foundation::readWholeFile(store.path());
    ASSERT_TRUE(text.has_value());
    ASSERT_TRUE(foundation::JsonDocument::parse(*text).has_value()) << *text;
    const PlacedWidgets stored = store.load();
    std::map<std::string, std::string> expected;
    std::set<std::string> everyId;
    std::size_t handedOut = 0;
    for (const auto& o : outcomes) {
        std::istringstream lines(o);
        for (std::string id, area; lines >> id >> area; ++handedOut) {
            everyId.insert(id);
            if (area != "-") expected[id] = area;
        }
    }
    EXPECT_EQ(handedOut, std::size_t{kRounds} * (kThreads + kProcesses));
    EXPECT_EQ(everyId.size(), handedOut) << "an id was handed out twice";
    ASSERT_EQ(stored.widgets.size(), expected.size());
    for (const auto& w : stored.widgets) {
        SCOPED_TRACE(w.id);
        ASSERT_EQ(expected.count(w.id), 1u) << "a removed or unknown widget is stored";
        EXPECT_EQ(w.area, std::optional<std::string>(expected[w.id]));
    }
}

}  // namespace
}  // namespace widgetkit::host
