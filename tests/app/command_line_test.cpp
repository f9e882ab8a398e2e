#include "app/command_line.h"

#include <gtest/gtest.h>

#include "app/scan.h"
#include "app/seams.h"
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
using brimlet_test::linesOf;
using brimlet_test::SharedContainer;
using brimlet_test::TempTree;

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

TEST(CommandLine, BadArgumentsGiveOneClearLineAndStatusTwo) {
    TempTree t;
    t.folder("r");
    const SharedContainer shared;
    shared.write("previous");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"scan", "--bogus"},
        {"scan", t.path("r"), t.path("r")},
        {"scan", "--top"},
        {"scan", "--top", "0"},
        {"scan", "--top", "-3"},
        {"scan", "--top", "many"},
        {"scan", "--top", "1001"},
        {"scan", "--area"},
        {"scan", "-o"},
        {"scan", t.path("r"), "--area", "/"},
        {"scan", t.path("r"), "--area", "."},
        {"scan", ""},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const CapturedConsole console;
        EXPECT_EQ(console.run(args), 2);
        EXPECT_EQ(console.out(), "");
        const auto lines = linesOf(console.err());
        ASSERT_EQ(lines.size(), 1u) << console.err();
        EXPECT_TRUE(startsWith(lines[0], "brimlet: error: ")) << lines[0];
        EXPECT_GT(lines[0].size(), std::string("brimlet: error: ").size() + 5);
    }
    EXPECT_EQ(foundation::readWholeFile(shared.snapshotPath()), "previous");
}

TEST(CommandLine, FailuresGiveOneLineStatusOneAndKeepTheSnapshot) {
    TempTree t;
    buildSampleTree(t);
    const SharedContainer shared;
    shared.write("previous");
    const std::string root = t.path(kSampleRoot);
    struct Case {
        const char* label;
        std::vector<std::string> args;
        std::string mentions;
    };
    const std::vector<Case> cases = {
        {"missing root", {"scan", t.path("missing")}, t.path("missing")},
        {"root is a file", {"scan", root + "/top.txt"}, "not a folder"},
        {"missing area", {"scan", root, "--area", "nowhere"}, "nowhere"},
        {"unwritable output", {"scan", root, "-o", "/etc/passwd/x"}, "/etc/passwd/x"},
    };
    const FixedWorld world;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const CapturedConsole console;
        EXPECT_EQ(console.run(c.args), 1);
        const auto lines = linesOf(console.err());
        ASSERT_EQ(lines.size(), 1u) << console.err();
        EXPECT_TRUE(startsWith(lines[0], "brimlet: error: ")) << lines[0];
        EXPECT_NE(lines[0].find(c.mentions), std::string::npos) << lines[0];
    }
    {
        SCOPED_TRACE("volume figures unavailable");
        const foundation::testing::ScopedVolumeQuery broken(
            [](const std::string&) { return std::nullopt; });
        const CapturedConsole console;
        EXPECT_EQ(console.run({"scan", root}), 1);
        EXPECT_EQ(linesOf(console.err()).size(), 1u) << console.err();
    }
    EXPECT_EQ(foundation::readWholeFile(shared.snapshotPath()), "previous");
}

TEST(CommandLine, HelpPrintsUsageAndSucceeds) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"scan", "--help"}, {"-h"}}) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const CapturedConsole console;
        EXPECT_EQ(console.run(args), 0);
        EXPECT_NE(console.out().find("Usage:"), std::string::npos);
        EXPECT_EQ(console.err(), "");
    }
    const CapturedConsole console;
    console.run({"scan", "--help"});
    for (const char* option : {"ROOT", "--area", "--top", "-o"}) {
        EXPECT_NE(console.out().find(option), std::string::npos) << option;
    }
}

TEST(CommandLine, WritesTheSharedSnapshotThatTheReaderDecodes) {
    TempTree t;
    buildSampleTree(t);
    const SharedContainer shared;
    const FixedWorld world;
    const CapturedConsole console;
    ASSERT_EQ(console.run({"scan", t.path(kSampleRoot), "--top", "3"}), 0) << console.err();

    const auto read = SharedSnapshot::read();
    ASSERT_TRUE(read.has_value());
    // The file holds exactly what the scan built.
    const ScanResult again = runScan(planScan(ScanRequest{t.path(kSampleRoot), {}, 3, 0}));
    EXPECT_TRUE(brimlet_test::sameSnapshot(*read, again.snapshot));
    EXPECT_EQ(read->rootName, kSampleRoot);
    EXPECT_EQ(read->topFolders.size(), 3u);

    EXPECT_EQ(console.out(), "");
    const auto lines = linesOf(console.err());
    ASSERT_EQ(lines.size(), 1u) << console.err();
    EXPECT_TRUE(startsWith(lines[0], "Snapshot written to " + shared.snapshotPath() + ": "))
        << lines[0];
    EXPECT_NE(lines[0].find(" in 9 files and 8 folders; 0 unreadable folders skipped; "),
              std::string::npos)
        << lines[0];
}

TEST(CommandLine, StandardOutputAndDevNullTargets) {
    TempTree t;
    buildSampleTree(t);
    const SharedContainer shared;
    const FixedWorld world;
    {
        const CapturedConsole console;
        // --area repeats, before or after the root.
        ASSERT_EQ(console.run({"scan", "--area", "small", t.path(kSampleRoot), "--area",
                               "Big Folder/nested", "-o", "-"}),
                  0)
            << console.err();
        const auto decoded = DiskSnapshot::decode(console.out());
        ASSERT_TRUE(decoded.has_value()) << console.out();
        EXPECT_EQ(decoded->volumeName, "Test Volume");
        ASSERT_TRUE(decoded->areas.has_value());
        ASSERT_EQ(decoded->areas->size(), 2u);
        EXPECT_EQ((*decoded->areas)[0].name, "small");
        EXPECT_EQ((*decoded->areas)[1].name, "Big Folder/nested");
        EXPECT_NE(console.err().find("Snapshot written to standard output: "), std::string::npos);
    }
    {
        const CapturedConsole console;
        ASSERT_EQ(console.run({"scan", t.path(kSampleRoot), "-o", "/dev/null"}), 0)
            << console.err();
        EXPECT_EQ(console.out(), "");
    }
    // Neither touched the shared container.
    EXPECT_FALSE(SharedSnapshot::read().has_value());
}

TEST(CommandLine, SummaryNamesTheSkippedFolders) {
    TempTree t;
    buildSampleTree(t);
    const FixedWorld world;
    const std::string refused = t.path(kSampleRoot + "/small");
    const std::string nested = t.path(kSampleRoot + "/Big Folder/nested");
    const testing::ScopedOpenFault fault(
        [&](const std::string& path) { return path == refused || path == nested ? EACCES : 0; });
    const CapturedConsole console;
    ASSERT_EQ(console.run({"scan", t.path(kSampleRoot), "-o", t.path("out.json")}), 0)
        << console.err();
    EXPECT_NE(console.err().find("; 2 unreadable folders skipped; "), std::string::npos)
        << console.err();
    EXPECT_TRUE(DiskSnapshot::decode(foundation::readWholeFile(t.path("out.json")).value_or(""))
                    .has_value());
}

}  // namespace
}  // namespace brimlet
