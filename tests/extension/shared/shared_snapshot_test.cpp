#include "extension/shared/shared_snapshot.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <string>

#include "platform/foundation/file.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using brimlet_test::Doc;
using brimlet_test::SharedContainer;

// A valid snapshot document of exactly `size` bytes, padded with spaces before the closing brace.
std::string documentOfSize(std::size_t size) {
    std::string json = Doc().str();
    json.pop_back();
    json.append(size - json.size() - 1, ' ');
    return json + "}";
}

// Reads on another thread: a reader that blocked on a FIFO would otherwise hang the test. The
// wait is a hang guard, not a measurement.
std::optional<DiskSnapshot> readGuarded(const SharedContainer& container) {
    auto reading = std::async(std::launch::async, [] { return SharedSnapshot::read(); });
    if (reading.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        // Release the blocked reader so that the test can end, then report.
        const int fd = ::open(container.snapshotPath().c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
        ADD_FAILURE() << "reading blocked";
    }
    return reading.get();
}

TEST(SharedSnapshotRead, WithoutAContainerYieldsNothingAndCreatesNone) {
    {
        const foundation::testing::ScopedContainerRoot noDataHome("");
        EXPECT_FALSE(SharedSnapshot::read().has_value());
    }
    const SharedContainer home;
    std::filesystem::remove_all(home.container());
    EXPECT_FALSE(SharedSnapshot::read().has_value());
    EXPECT_FALSE(std::filesystem::exists(home.container()));
}

TEST(SharedSnapshotRead, FaultyFilesYieldNothing) {
    const std::string valid = Doc().str();
    using Arrange = std::function<void(const SharedContainer&)>;
    const auto bytes = [](std::string b) { return Arrange([b](const SharedContainer& c) { c.write(b); }); };
    const std::pair<const char*, Arrange> cases[] = {
        {"no file", [](const SharedContainer&) {}},
        {"empty file", bytes("")},
        {"cut in the middle of a string", bytes(valid.substr(0, valid.find("Macintosh") + 3))},
        {"a required member missing", bytes(Doc().remove("free").str())},
        {"4 MiB and one byte", bytes(documentOfSize(foundation::kMaxWholeFileBytes + 1))},
        {"a directory", [](const SharedContainer& c) { std::filesystem::create_directory(c.snapshotPath()); }},
        {"a FIFO without a writer",
         [](const SharedContainer& c) { ASSERT_EQ(::mkfifo(c.snapshotPath().c_str(), 0600), 0); }},
    };
    for (const auto& [what, arrange] : cases) {
        SCOPED_TRACE(what);
        const SharedContainer container;
        arrange(container);
        EXPECT_FALSE(readGuarded(container).has_value());
    }
}

TEST(SharedSnapshotRead, EveryCallReadsTheFileAsItIsThroughASymbolicLink) {
    const SharedContainer container;
    const std::string target = container.root() + "/elsewhere.json";
    std::filesystem::create_symlink(target, container.snapshotPath());
    // The largest file that reads.
    ASSERT_EQ(foundation::writeFileAtomically(target, documentOfSize(foundation::kMaxWholeFileBytes)), "");
    const auto largest = SharedSnapshot::read();
    ASSERT_TRUE(largest.has_value());
    EXPECT_TRUE(brimlet_test::sameSnapshot(*largest, *DiskSnapshot::decode(Doc().str())));
    ASSERT_EQ(foundation::writeFileAtomically(target, Doc().set("volumeName", R"("new")").str()), "");
    const auto replaced = SharedSnapshot::read();
    ASSERT_TRUE(replaced.has_value());
    EXPECT_EQ(replaced->volumeName, "new");
    // An invalid file in its place: nothing, not the last good snapshot.
    container.write("{");
    EXPECT_FALSE(SharedSnapshot::read().has_value());
}

}  // namespace
}  // namespace brimlet
