// Readers never meet half a snapshot, and a scan that fails leaves the old one as it was.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/command_line.h"
#include "extension/shared/shared_snapshot.h"
#include "platform/foundation/file.h"
#include "tests/app/scan_testing.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using brimlet_test::buildSampleTree;
using brimlet_test::CapturedConsole;
using brimlet_test::FixedWorld;
using brimlet_test::kSampleRoot;
using brimlet_test::SharedContainer;
using brimlet_test::TempTree;

// Reads the shared snapshot in a loop until told to stop, and counts the reads that got no
// snapshot: a missing file, or one holding a partial document that does not decode.
class LoopingReader {
public:
    LoopingReader() : thread_([this] { run(); }) {}
    ~LoopingReader() { stop(); }
    LoopingReader(const LoopingReader&) = delete;
    LoopingReader& operator=(const LoopingReader&) = delete;

    void stop() {
        stopping_.store(true);
        if (thread_.joinable()) thread_.join();
    }
    int missing() const { return missing_.load(); }
    int reads() const { return reads_.load(); }

private:
    void run() {
        while (!stopping_.load()) {
            if (!SharedSnapshot::read()) ++missing_;
            ++reads_;
        }
    }

    std::atomic<bool> stopping_{false};
    std::atomic<int> missing_{0};
    std::atomic<int> reads_{0};
    std::thread thread_;
};

TEST(SnapshotAtomicity, ReaderNeverSeesAPartialDocumentWhileScansRewriteIt) {
    TempTree t;
    buildSampleTree(t);
    const SharedContainer shared;
    const FixedWorld world;
    {
        const CapturedConsole first;
        ASSERT_EQ(first.run({"scan", t.path(kSampleRoot)}), 0) << first.err();
    }
    LoopingReader reader;
    for (int round = 0; round < 25; ++round) {
        const CapturedConsole console;
        // Alternate the document's length so that a torn read could not pass as a whole one.
        const std::string top = round % 2 == 0 ? "1" : "8";
        ASSERT_EQ(console.run({"scan", t.path(kSampleRoot), "--top", top}), 0) << console.err();
    }
    reader.stop();
    EXPECT_GT(reader.reads(), 0);
    // Every read met a whole, decodable snapshot: never a missing or half-written file.
    EXPECT_EQ(reader.missing(), 0);
}

TEST(SnapshotAtomicity, ScanFailingMidwayLeavesTheOldFileAsItWas) {
    TempTree t;
    buildSampleTree(t);
    const SharedContainer shared;
    const FixedWorld world;
    {
        const CapturedConsole first;
        ASSERT_EQ(first.run({"scan", t.path(kSampleRoot)}), 0) << first.err();
    }
    const auto before = foundation::readWholeFile(shared.snapshotPath());
    ASSERT_TRUE(before.has_value());
    // The failing scans write a different document; cut it at its start, inside and one byte short.
    std::size_t length = 0;
    {
        const CapturedConsole probe;
        ASSERT_EQ(probe.run({"scan", t.path(kSampleRoot), "--top", "1", "-o", "-"}), 0);
        length = probe.out().size();
        ASSERT_NE(probe.out(), *before);
    }
    LoopingReader reader;
    for (const std::size_t cut : {std::size_t{0}, std::size_t{1}, length / 2, length - 1}) {
        SCOPED_TRACE(cut);
        const brimlet_test::FaultyEnvironment failing(cut);
        const CapturedConsole console;
        EXPECT_EQ(console.run({"scan", t.path(kSampleRoot), "--top", "1"}, -1, failing), 1);
        EXPECT_NE(console.err().find("brimlet: "), std::string::npos);
        EXPECT_EQ(foundation::readWholeFile(shared.snapshotPath()), before);
    }
    reader.stop();
    EXPECT_EQ(reader.missing(), 0);
    // Nothing but the snapshot remains in the container.
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(shared.container()))
        ++entries;
    EXPECT_EQ(entries, 1u);
}

}  // namespace
}  // namespace brimlet
