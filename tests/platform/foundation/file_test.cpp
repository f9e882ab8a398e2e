#include "platform/foundation/file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "tests/support/scratch.h"

namespace foundation {
namespace {

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// readWholeFile on a worker thread. A read that blocks (a FIFO opened without O_NONBLOCK waits
// for a writer forever) is reported as a failure instead of hanging the test binary; the blocked
// thread is left behind and ends with the process.
struct GuardedRead {
    bool returned = false;
    std::optional<std::string> result;
};

GuardedRead readWithHangGuard(const std::string& path, std::size_t maxBytes = kMaxWholeFileBytes) {
    auto promise = std::make_shared<std::promise<std::optional<std::string>>>();
    auto future = promise->get_future();
    std::thread([promise, path, maxBytes] { promise->set_value(readWholeFile(path, maxBytes)); }).detach();
    if (future.wait_for(std::chrono::seconds(20)) != std::future_status::ready) return {};
    return {true, future.get()};
}

class ReadWholeFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(dir_.path().empty()); }
    brimlet_test::ScratchDir dir_;
};

TEST_F(ReadWholeFile, ReadsARegularFileWhole) {
    std::string bytes = "{\"a\":1}\n";
    bytes += std::string("\0\xff\x01", 3);  // binary content survives
    writeFile(dir_ / "f", bytes);
    EXPECT_EQ(readWholeFile(dir_ / "f"), bytes);
}

TEST_F(ReadWholeFile, EmptyFileIsPresentAndEmpty) {
    writeFile(dir_ / "empty", "");
    EXPECT_EQ(readWholeFile(dir_ / "empty"), std::optional<std::string>(""));
}

TEST_F(ReadWholeFile, FollowsASymlinkToARegularFile) {
    writeFile(dir_ / "target", "abc");
    ASSERT_EQ(::symlink((dir_ / "target").c_str(), (dir_ / "link").c_str()), 0);
    EXPECT_EQ(readWholeFile(dir_ / "link"), std::optional<std::string>("abc"));
}

TEST_F(ReadWholeFile, WhatIsNotARegularFileYieldsNothing) {
    ASSERT_EQ(::mkdir((dir_ / "sub").c_str(), 0700), 0);
    ASSERT_EQ(::symlink((dir_ / "nowhere").c_str(), (dir_ / "dangling").c_str()), 0);
    for (const std::string& path : {dir_ / "missing", dir_ / "sub", dir_ / "dangling",
                                   std::string("/dev/null"), std::string("")}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(readWholeFile(path), std::nullopt);
    }
}

TEST_F(ReadWholeFile, FifoWithoutAWriterReturnsAtOnce) {
    const std::string fifo = dir_ / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto read = readWithHangGuard(fifo);
    ASSERT_TRUE(read.returned) << "readWholeFile blocked on a FIFO";
    EXPECT_EQ(read.result, std::nullopt);
}

TEST_F(ReadWholeFile, SizeLimitIsInclusive) {
    writeFile(dir_ / "ten", std::string(10, 'x'));
    writeFile(dir_ / "eleven", std::string(11, 'x'));
    EXPECT_EQ(readWholeFile(dir_ / "ten", 10), std::string(10, 'x'));
    EXPECT_EQ(readWholeFile(dir_ / "eleven", 10), std::nullopt);
    EXPECT_EQ(readWholeFile(dir_ / "eleven", 11), std::string(11, 'x'));
    EXPECT_EQ(readWholeFile(dir_ / "ten", 0), std::nullopt);
    writeFile(dir_ / "empty", "");
    EXPECT_EQ(readWholeFile(dir_ / "empty", 0), std::optional<std::string>(""));
}

TEST_F(ReadWholeFile, DefaultLimitIsFourMebibytes) {
    const std::string atLimit(kMaxWholeFileBytes, 'a');
    writeFile(dir_ / "at", atLimit);
    writeFile(dir_ / "over", atLimit + "b");
    const auto at = readWholeFile(dir_ / "at");
    ASSERT_TRUE(at.has_value());
    EXPECT_EQ(at->size(), kMaxWholeFileBytes);
    EXPECT_TRUE(*at == atLimit);  // no gtest diff of 4 MiB on failure
    EXPECT_EQ(readWholeFile(dir_ / "over"), std::nullopt);
}

// /proc files report a size of 0 and hold more: the reader must notice the limit while reading.
TEST_F(ReadWholeFile, ContentBeyondTheReportedSizeStillHonoursTheLimit) {
    const auto whole = readWholeFile("/proc/self/mountinfo");
    ASSERT_TRUE(whole.has_value());
    ASSERT_GT(whole->size(), 16u);
    EXPECT_NE(whole->find(" / "), std::string::npos);
    EXPECT_EQ(readWholeFile("/proc/self/mountinfo", 16), std::nullopt);
}

}  // namespace
}  // namespace foundation
