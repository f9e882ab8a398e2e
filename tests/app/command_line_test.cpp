// Where the scanner's output goes: the command line, its messages, and the snapshot file.
#include "app/cli/command_line.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/cli/progress.h"
#include "app/scan/snapshot_file.h"
#include "extension/shared/shared_snapshot.h"
#include "platform/foundation/version.h"
#include "tests/app/scan_testing.h"
#include "tests/extension/shared/snapshot_testing.h"
#include "tests/support/hostile_names.h"

namespace brimlet {
namespace {

using namespace brimlet_test;
using Mode = SnapshotTarget::Mode;

// Arguments that contradict each other give status 2, failures status 1 (a full disk behind
// standard output among them); either way one line on standard error, nothing on standard
// output, and the previous snapshot untouched. A scan then replaces it with exactly the snapshot
// it built, and sums up on one line; one to standard output leaves it alone.
TEST(CommandLine, ErrorsKeepThePreviousSnapshotAndAScanReplacesIt) {
    const Sample s;
    const std::string& root = s.root;
    const SharedContainer shared;
    shared.write("previous");
    const foundation::FileDescriptor full(::open("/dev/full", O_WRONLY | O_CLOEXEC));
    const FixedWorld world;
    const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
        {{}, 2, ""},
        {{"frobnicate"}, 2, ""},
        {{"scan", "--bogus"}, 2, ""},
        {{"scan", root, root}, 2, ""},
        {{"scan", "--top", "0"}, 2, ""},
        {{"scan", "--top", "1001"}, 2, ""},
        {{"scan", root, "-o", ""}, 2, "-o: an empty path"},
        {{"scan", s.t.path(brimlet_test::kHostileName)},
         1,
         s.t.path(brimlet_test::kHostileNameEscaped) + ": No such file"},
        {{"scan", root + "/top"}, 1, "not a folder"},
        {{"scan", root, "-o", "/etc/passwd/x"}, 1, "/etc/passwd/x"},
        {{"scan", root, "-o", "-"}, 1, "brimlet: standard output: "},
        {{"--version"}, 1, "standard output: "},
    };
    for (const auto& [args, status, mentions] : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const CapturedConsole console;
        EXPECT_EQ(console.run(args, mentions.ends_with("output: ") ? full.get() : -1), status);
        EXPECT_EQ(console.out(), "");
        EXPECT_TRUE(console.errLine().starts_with("brimlet: ")) << console.errLine();
        EXPECT_NE(console.errLine().find(mentions), std::string::npos) << console.errLine();
        EXPECT_TRUE(brimlet_test::inert(console.errLine())) << console.errLine();
    }
    EXPECT_EQ(foundation::readWholeFile(shared.snapshotPath()), "previous");

    const CapturedConsole console;
    ASSERT_EQ(console.run({"scan", root, "--top", "3"}), 0) << console.err();
    const auto read = SharedSnapshot::read();
    ASSERT_TRUE(read.has_value());
    EXPECT_TRUE(sameSnapshot(*read, scanOf(ScanRequest{root, {}, 3, 0}).snapshot));
    EXPECT_EQ(console.out(), "");
    const std::string line = console.errLine();
    EXPECT_TRUE(line.starts_with("Snapshot written to " + shared.snapshotPath() + ": ")) << line;
    EXPECT_NE(line.find(" in 9 files and 8 folders; 0 unreadable folders skipped; "),
              std::string::npos)
        << line;

    // "-o -" leaves the shared container alone. Areas are named by their path below the root,
    // once each, given before or after the root.
    const CapturedConsole piped;
    ASSERT_EQ(piped.run({"scan", "--area", "small", root, "--area", "Big Folder/nested", "--area",
                         root + "/small", "--area", "./Big Folder/nested/", "-o", "-"}),
              0)
        << piped.err();
    const auto decoded = DiskSnapshot::decode(piped.out());
    ASSERT_TRUE(decoded.has_value() && decoded->areas.has_value()) << piped.out();
    ASSERT_EQ(decoded->areas->size(), 2u);
    const auto& areas = *decoded->areas;
    EXPECT_EQ(std::tuple(areas[0].name, areas[0].total, areas[1].name, areas[1].total),
              std::tuple("small", s.small, "Big Folder/nested", s.nested));
    EXPECT_TRUE(piped.errLine().starts_with("Snapshot written to standard output: "));
    EXPECT_TRUE(sameSnapshot(*SharedSnapshot::read(), *read));
}

TEST(CommandLine, HelpAndVersionGoToStandardOutput) {
    const std::string version = "brimlet " + std::string(foundation::projectVersion()) + "\n";
    using Args = std::vector<std::string>;
    for (const Args& args : {Args{"--help"}, Args{"--help-all"}, Args{"scan", "--help"},
                             Args{"--version"}, Args{"scan", "--version"}}) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const CapturedConsole console;
        EXPECT_EQ(console.run(args), 0);
        EXPECT_EQ(console.err(), "");
        const std::string out = console.out();
        EXPECT_TRUE(args.back() == "--version" ? out == version
                                               : out.find("Usage:") != std::string::npos)
            << out;
    }
}

// Eleven unreadable folders: the first ten in byte order are named, with control bytes escaped,
// then how many more; entries that vanished are counted after them; the snapshot of what could be
// read is written all the same.
TEST(CommandLine, SummaryNamesTenSkippedFoldersThenCountsTheRest) {
    TempTree t;
    std::vector<Entry> tree{{Entry::file, "r/k/kept.txt", 4096}, {Entry::file, "r/k/gone", 4096}};
    for (const char* name : {"a", "j", "b", "b\nbreak", "c", "i", "d", "h", "e", "g", "f"})
        tree.push_back({Entry::folder, std::string("r/") + name});
    t.build(tree);
    const FixedWorld world;
    FaultyEnvironment changing;
    changing.opening = [&](const std::string& path) {
        return path != t.path("r") && path.find("/r/k") == std::string::npos ? EACCES : 0;
    };
    changing.listed = [&](const std::string& path) {
        if (path == t.path("r/k")) std::filesystem::remove(path + "/gone");
    };
    const CapturedConsole console;
    ASSERT_EQ(console.run({"scan", t.path("r"), "-o", t.path("out.json")}, -1, changing), 0);
    std::string ten;
    for (const char* name : {"a", "b", "b\\nbreak", "c", "d", "e", "f", "g", "h", "i"})
        ten += (ten.empty() ? "" : ", ") + t.path("r/") + name;
    EXPECT_NE(console.errLine().find(" in 1 file and 13 folders; 11 unreadable folders skipped (" +
                                     ten + " and 1 more); 1 entry vanished while scanning; "),
              std::string::npos)
        << console.err();
    EXPECT_TRUE(DiskSnapshot::decode(*foundation::readWholeFile(t.path("out.json"))));
}

// A progress line has at most width - 1 characters: a long folder is cut from the left, whole
// characters only. A summary says "1 file", and names ten skipped folders without "more".
TEST(ProgressAndSummaryLines, CountersFitTheTerminalAndTheSummaryCountsInWords) {
    EXPECT_EQ(summaryLine("-", 0, 1, 1, {"/x"}, 0, 0.04),
              "Snapshot written to -: 0 B in 1 file and 1 folder; 1 unreadable folder skipped "
              "(/x); 0.0 s");
    EXPECT_TRUE(summaryLine("-", 0, 2, 2, std::vector<std::string>(10, "/x"), 0, 0)
                    .ends_with("; 10 unreadable folders skipped (/x, /x, /x, /x, /x, /x, /x, /x, "
                               "/x, /x); 0.0 s"));
    // Entries that vanished are counted after the unreadable folders, when there are any (one
    // in the run above).
    EXPECT_TRUE(summaryLine("-", 0, 2, 2, {"/x"}, 3, 0)
                    .ends_with(" skipped (/x); 3 entries vanished while scanning; 0.0 s"));
    const std::tuple<std::int64_t, std::string, std::size_t, std::string> cases[] = {
        {1200, "/home/ada/src", 80, "Scanning: 1200 files, 1.0 KB, 1.2 s  /home/ada/src"},
        {1, "", 80, "Scanning: 1 file, 1.0 KB, 1.2 s"},
        {5, "/very/long/path/to/somewhere", 40,
         "Scanning: 5 files, 1.0 KB, 1.2 s  \xE2\x80\xA6here"},
        {5, "/x/\xD0\xA4\xD0\xBE", 37, "Scanning: 5 files, 1.0 KB, 1.2 s  \xE2\x80\xA6\xD0\xBE"},
        {5, "/r", 37, "Scanning: 5 files, 1.0 KB, 1.2 s  /r"},  // the folder just fits
        {5, "/r", 35, "Scanning: 5 files, 1.0 KB, 1.2 s"},      // two columns short of a folder
        {5, "/r", 20, "Scanning: 5 files, "},
    };
    for (const auto& [files, folder, width, expected] : cases)
        EXPECT_EQ(progressLine(files, 1024, 1.25, folder, width), expected) << width;
}

std::ptrdiff_t entriesIn(const std::string& folder) {
    return std::distance(std::filesystem::directory_iterator(folder), {});
}

mode_t permissionsOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

// The shared container is made private, with its parents, and an existing one is left as it is;
// checking that it takes a file leaves nothing behind.
TEST(SnapshotTarget, DefaultMakesThePrivateContainerOnlyWhenMissing) {
    TempTree t;
    const foundation::testing::ScopedContainerRoot root(t.path("data/share"));
    const std::string container = t.path("data/share/" + std::string(kAppGroupIdentifier));
    EXPECT_EQ(prepareSnapshotTarget(std::nullopt).path, container + "/snapshot.json");
    EXPECT_EQ(std::tuple(permissionsOf(container), permissionsOf(t.path("data"))),
              std::tuple(0700u, 0700u));
    EXPECT_EQ(entriesIn(container), 0);
    ::chmod(container.c_str(), 0750);
    prepareSnapshotTarget(std::nullopt);
    EXPECT_EQ(permissionsOf(container), 0750u);
}

TEST(SnapshotTarget, OutputArgumentDecidesTheModeOrFailsBeforeAnyScan) {
    TempTree t;
    t.build({{Entry::file, "existing.json", 10},
             {Entry::file, "real/target.json", 10},
             {Entry::symlink, "link.json", 0, "real/target.json"}});
    const foundation::testing::ScopedContainerRoot underAFile(t.path("existing.json/share"));
    const std::tuple<std::optional<std::string>, int, Mode, std::string> cases[] = {
        {"-", 0, Mode::standardOutput, ""},  // output, status (0: accepted), mode, path
        {t.path("new.json"), 0, Mode::replaceFile, t.path("new.json")},
        {t.path("existing.json"), 0, Mode::replaceFile, t.path("existing.json")},
        {t.path("link.json"), 0, Mode::replaceFile, t.path("real/target.json")},
        {"/dev/null", 0, Mode::writeInPlace, "/dev/null"},
        {"/etc/passwd/x", 1, {}, ""},
        {t.path("no/such/folder/out.json"), 1, {}, ""},
        {t.path("real"), 1, {}, ""},
        {"", 2, {}, ""},
        {std::nullopt, 1, {}, ""},  // the container would lie below a file
    };
    for (const auto& [output, status, mode, path] : cases) {
        SnapshotTarget target;
        const auto [got, message] = failureOf([&] { target = prepareSnapshotTarget(output); });
        EXPECT_EQ(std::tuple(got, target.mode, target.path), std::tuple(status, mode, path))
            << output.value_or("(shared container)") << ": " << message;
    }
}

// A file is replaced whole through a temporary that never remains, a link at its target; a
// write that fails part-way leaves the old file exactly.
TEST(WriteSnapshot, ReplacesAFileWholeOrNotAtAll) {
    TempTree t;
    t.build({{Entry::text, "snapshot.json", 0, "old"},
             {Entry::symlink, "link.json", 0, "snapshot.json"}});
    const SnapshotTarget target = prepareSnapshotTarget(t.path("link.json"));
    EXPECT_THROW(writeSnapshot(target, "{\"new\":\"snapshot\"}", -1, FaultyEnvironment(17)),
                 ScanError);
    EXPECT_EQ(foundation::readWholeFile(t.path("snapshot.json")), "old");
    EXPECT_EQ(entriesIn(t.root()), 2);
    writeSnapshot(target, "{\"new\":\"snapshot\"}", -1);
    EXPECT_EQ(foundation::readWholeFile(t.path("snapshot.json")), "{\"new\":\"snapshot\"}");
    EXPECT_EQ(entriesIn(t.root()), 2);
    EXPECT_TRUE(std::filesystem::is_symlink(t.path("link.json")));
    const mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_EQ(permissionsOf(t.path("snapshot.json")), 0666u & ~mask);
    // A device is written straight through.
    EXPECT_NO_THROW(writeSnapshot(prepareSnapshotTarget("/dev/null"), "{}", -1));
    EXPECT_THROW(writeSnapshot({Mode::writeInPlace, "/dev/full"}, "{}", -1), ScanError);
}

}  // namespace
}  // namespace brimlet
