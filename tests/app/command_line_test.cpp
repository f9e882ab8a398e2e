#include "app/command_line.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "app/scan.h"
#include "extension/shared/shared_snapshot.h"
#include "platform/foundation/file.h"
#include "platform/foundation/version.h"
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
        {"scan", t.path("r"), "--exclude", t.path("r")},
        {"scan", t.path("r"), "--exclude"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const CapturedConsole console;
        EXPECT_EQ(console.run(args), 2);
        EXPECT_EQ(console.out(), "");
        const auto lines = linesOf(console.err());
        ASSERT_EQ(lines.size(), 1u) << console.err();
        EXPECT_TRUE(startsWith(lines[0], "brimlet: ")) << lines[0];
        EXPECT_FALSE(startsWith(lines[0], "brimlet: error")) << lines[0];
        EXPECT_GT(lines[0].size(), std::string("brimlet: ").size() + 5);
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
        EXPECT_TRUE(startsWith(lines[0], "brimlet: ")) << lines[0];
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
         {std::vector<std::string>{"--help"}, {"scan", "--help"}, {"-h"}, {"--help-all"}}) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const CapturedConsole console;
        EXPECT_EQ(console.run(args), 0);
        EXPECT_NE(console.out().find("Usage:"), std::string::npos);
        EXPECT_EQ(console.err(), "");
    }
    const CapturedConsole console;
    console.run({"scan", "--help"});
    for (const char* option : {"ROOT", "--area", "--top", "-o", "--exclude ", "--exclude-caches"}) {
        EXPECT_NE(console.out().find(option), std::string::npos) << option;
    }
}

TEST(CommandLine, VersionIsTheProjectVersion) {
    // MAJOR.MINOR.PATCH, as project() sets it.
    const std::string version(foundation::projectVersion());
    EXPECT_EQ(std::count(version.begin(), version.end(), '.'), 2) << version;
    EXPECT_EQ(version.find_first_not_of("0123456789."), std::string::npos) << version;
    const std::string expected = "brimlet " + version + "\n";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--version"}, {"scan", "--version"}}) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const CapturedConsole console;
        EXPECT_EQ(console.run(args), 0);
        EXPECT_EQ(console.out(), expected);
        EXPECT_EQ(console.err(), "");
    }
}

// A full disk behind standard output (`brimlet scan -o - > /dev/full`) fails the command.
TEST(CommandLine, StandardOutputThatRefusesWritesFails) {
    TempTree t;
    t.folder("r");
    const FixedWorld world;
    const foundation::FileDescriptor full(::open("/dev/full", O_WRONLY | O_CLOEXEC));
    ASSERT_GE(full.get(), 0);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"scan", t.path("r"), "-o", "-"}, {"--version"}, {"--help"}}) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const CapturedConsole console;
        EXPECT_EQ(console.run(args, full.get()), 1);
        const auto lines = linesOf(console.err());
        ASSERT_EQ(lines.size(), 1u) << console.err();
        EXPECT_TRUE(startsWith(lines[0], "brimlet: standard output: ")) << lines[0];
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

// Twelve unreadable folders: the first ten in byte order are named, then how many more; the
// snapshot of what could be read is written all the same.
TEST(CommandLine, SummaryNamesTheSkippedFolders) {
    TempTree t;
    const std::vector<std::string> names = {"k", "a", "j", "b", "b\nbreak", "c", "i",
                                            "d", "h", "e", "g", "f"};
    for (const auto& name : names) t.folder("r/" + name);
    t.file("r/k/kept.txt", 4096);
    const FixedWorld world;
    const brimlet_test::FaultyEnvironment refusing([&](const std::string& path) {
        return path != t.path("r") && path.find("/r/k") == std::string::npos ? EACCES : 0;
    });
    const CapturedConsole console;
    ASSERT_EQ(console.run({"scan", t.path("r"), "-o", t.path("out.json")}, -1, refusing), 0)
        << console.err();
    const auto lines = linesOf(console.err());
    ASSERT_EQ(lines.size(), 1u) << console.err();
    const std::string r = t.path("r") + "/";
    std::string named;
    // A name is shown on the one line with its control bytes as '?'.
    for (const char* name : {"a", "b", "b?break", "c", "d", "e", "f", "g", "h", "i"}) {
        named += (named.empty() ? "" : ", ") + r + name;
    }
    EXPECT_NE(lines[0].find("; 11 unreadable folders skipped (" + named + " and 1 more); "),
              std::string::npos)
        << lines[0];
    EXPECT_TRUE(DiskSnapshot::decode(foundation::readWholeFile(t.path("out.json")).value_or(""))
                    .has_value());
}

}  // namespace
}  // namespace brimlet
