// Many writers of one placed-widget store at once: threads of this process and child processes,
// each placing, configuring and removing. Every change goes through PlacedStore::update, so no
// widget may be lost, no id handed out twice, and the file must stay valid.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/file.h"
#include "platform/foundation/json_reader.h"
#include "platform/widgetkit/host/placed_store.h"
#include "tests/platform/foundation/scoped_env.h"

namespace widgetkit::host {
namespace {

constexpr int kRounds = 12;
constexpr int kThreads = 4;
constexpr int kProcesses = 3;
constexpr const char* kKind = "org.brimlet.Brimlet.breakdown";

// What one writer did: the ids it placed and kept (with the area it stored last), and the ids it
// placed and then removed.
struct Outcome {
    std::map<std::string, std::string> kept;
    std::vector<std::string> removed;
};

// Places a widget each round, configures it with the writer's name, and removes every third.
Outcome write(const PlacedStore& store, const std::string& writer) {
    Outcome outcome;
    for (int round = 0; round < kRounds; ++round) {
        std::string id;
        store.update([&](PlacedWidgets& placed) {
            id = placed.newId();
            placed.widgets.push_back({id, kKind, WidgetFamily::systemMedium, std::nullopt});
        });
        const std::string area = writer + "-" + std::to_string(round);
        store.update([&](PlacedWidgets& placed) {
            PlacedWidget* w = placed.find(id);
            if (w != nullptr) w->area = area;
        });
        if (round % 3 == 2) {
            store.update([&](PlacedWidgets& placed) {
                std::erase_if(placed.widgets, [&](const PlacedWidget& w) { return w.id == id; });
            });
            outcome.removed.push_back(id);
        } else {
            outcome.kept[id] = area;
        }
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
            ::close(fds[0]);
            int status = 0;
            std::string report;
            try {
                const Outcome o = write(store, "process" + std::to_string(p));
                for (const auto& [id, area] : o.kept) report += "kept " + id + " " + area + "\n";
                for (const auto& id : o.removed) report += "removed " + id + "\n";
            } catch (...) {
                status = 1;
            }
            const bool written =
                ::write(fds[1], report.data(), report.size()) == static_cast<ssize_t>(report.size());
            ::_exit(written ? status : 1);
        }
        ::close(fds[1]);
        children.emplace_back(pid, fds[0]);
    }

    std::vector<Outcome> outcomes(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] { outcomes[static_cast<std::size_t>(t)] = write(store, "thread" + std::to_string(t)); });
    }
    for (auto& thread : threads) thread.join();

    for (const auto& [pid, fd] : children) {
        std::string report;
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0) report.append(buffer, static_cast<std::size_t>(n));
        ::close(fd);
        int status = -1;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer process failed";
        Outcome o;
        char kind[16], id[32], area[64];
        for (const char* line = report.c_str(); *line != '\0';) {
            const int fields = std::sscanf(line, "%15s %31s %63s", kind, id, area);
            if (std::string(kind) == "kept" && fields == 3) o.kept[id] = area;
            if (std::string(kind) == "removed" && fields >= 2) o.removed.push_back(id);
            line = std::strchr(line, '\n') + 1;
        }
        EXPECT_EQ(o.kept.size() + o.removed.size(), static_cast<std::size_t>(kRounds));
        outcomes.push_back(std::move(o));
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
        for (const auto& [id, area] : o.kept) {
            expected[id] = area;
            everyId.insert(id);
        }
        everyId.insert(o.removed.begin(), o.removed.end());
        handedOut += o.kept.size() + o.removed.size();
    }
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
