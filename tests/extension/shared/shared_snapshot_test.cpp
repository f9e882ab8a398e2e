#include "extension/shared/shared_snapshot.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
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

TEST(SharedSnapshotRead, WithoutAContainerYieldsNothing) {
    {
        foundation::testing::ScopedContainerRoot noDataHome("");
        EXPECT_FALSE(SharedSnapshot::read().has_value());
    }
    {
        // A data home in which the app group's folder does not exist.
        SharedContainer home;
        std::filesystem::remove_all(home.container());
        EXPECT_FALSE(SharedSnapshot::read().has_value());
        // The reader never creates the container.
        EXPECT_FALSE(std::filesystem::exists(home.container()));
    }
}

TEST(SharedSnapshotRead, FaultyFilesYieldNothing) {
    const std::string valid = brimlet_test::exampleDocument();
    struct Case {
        const char* what;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"empty file", ""},
        {"truncated document", valid.substr(0, valid.size() - 3)},
        {"cut in the middle of a string", valid.substr(0, valid.find("Macintosh") + 3)},
        {"a required member missing", Doc().remove("free").str()},
        {"an area without total",
         Doc().set("areas", R"([{"name":"w","topFolders":[],"topKinds":[]}])").str()},
        {"not JSON", "snapshot"},
        {"a top-level array", "[]"},
    };
    SharedContainer container;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        container.write(c.bytes);
        EXPECT_FALSE(SharedSnapshot::read().has_value());
    }
}

TEST(SharedSnapshotRead, SomethingOtherThanARegularFileYieldsNothing) {
    SharedContainer container;
    ASSERT_TRUE(std::filesystem::create_directory(container.snapshotPath()));
    EXPECT_FALSE(SharedSnapshot::read().has_value());
    std::filesystem::remove(container.snapshotPath());

    // A FIFO without a writer: opening or reading it blocking would never return.
    ASSERT_EQ(::mkfifo(container.snapshotPath().c_str(), 0600), 0);
    auto reading = std::async(std::launch::async, [] { return SharedSnapshot::read(); });
    if (reading.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        // Release the blocked reader so that the test can end, then report.
        const int fd = ::open(container.snapshotPath().c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
        FAIL() << "reading a FIFO blocked";
    }
    EXPECT_FALSE(reading.get().has_value());
}

TEST(SharedSnapshotRead, SizeLimitIsFourMebibytes) {
    SharedContainer container;
    struct Case {
        const char* what;
        std::size_t size;
        bool reads;
    };
    const Case cases[] = {
        {"exactly 4 MiB", foundation::kMaxWholeFileBytes, true},
        {"4 MiB and one byte", foundation::kMaxWholeFileBytes + 1, false},
        {"5 MiB", 5 * 1024 * 1024, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string bytes = documentOfSize(c.size);
        ASSERT_EQ(bytes.size(), c.size);
        ASSERT_TRUE(DiskSnapshot::decode(bytes).has_value());
        container.write(bytes);
        EXPECT_EQ(SharedSnapshot::read().has_value(), c.reads);
    }
}

TEST(SharedSnapshotRead, YieldsTheDocumentFieldByFieldThroughASymbolicLink) {
    SharedContainer container;
    const std::string target = container.root() + "/elsewhere.json";
    ASSERT_EQ(foundation::writeFileAtomically(
                  target, Doc().set("rootName", R"("code")").add("ignored", R"({"a":[1,2]})").str()),
              "");
    std::filesystem::create_symlink(target, container.snapshotPath());
    const auto read = SharedSnapshot::read();
    ASSERT_TRUE(read.has_value());
    const auto expected = DiskSnapshot::decode(Doc().set("rootName", R"("code")").str());
    ASSERT_TRUE(expected.has_value());
    EXPECT_TRUE(brimlet_test::sameSnapshot(*read, *expected));
}

TEST(SharedSnapshotRead, EveryCallReadsTheFileAgain) {
    SharedContainer container;
    EXPECT_FALSE(SharedSnapshot::read().has_value());  // missing
    container.write(Doc().set("volumeName", R"("old")").str());
    const auto first = SharedSnapshot::read();
    container.write(Doc().set("volumeName", R"("new")").str());
    const auto second = SharedSnapshot::read();
    ASSERT_TRUE(first.has_value());
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(first->volumeName, "old");
    EXPECT_EQ(second->volumeName, "new");

    // Replaced by an invalid file: nothing, not the last good snapshot.
    container.write("{");
    EXPECT_FALSE(SharedSnapshot::read().has_value());
    container.write(Doc().str());
    ASSERT_TRUE(SharedSnapshot::read().has_value());
    container.remove();
    EXPECT_FALSE(SharedSnapshot::read().has_value());
}

}  // namespace
}  // namespace brimlet
