#include "app/snapshot_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "app/scan.h"
#include "extension/shared/identifiers.h"
#include "platform/foundation/file.h"
#include "platform/foundation/testing.h"
#include "tests/app/scan_testing.h"

namespace brimlet {
namespace {

using brimlet_test::TempTree;
using Mode = SnapshotTarget::Mode;

std::vector<std::string> entriesOf(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

mode_t permissionsOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

TEST(SnapshotTarget, DefaultCreatesThePrivateContainerWithItsParents) {
    TempTree t;
    const foundation::testing::ScopedContainerRoot root(t.path("data/share"));
    const SnapshotTarget target = prepareSnapshotTarget(std::nullopt);
    const std::string container = t.path("data/share/" + std::string(kAppGroupIdentifier));
    EXPECT_EQ(target.mode, Mode::replaceFile);
    EXPECT_EQ(target.path, container + "/snapshot.json");
    EXPECT_EQ(permissionsOf(container), 0700u);
    EXPECT_EQ(permissionsOf(t.path("data")), 0700u);
    // Checking that the folder takes a file leaves nothing behind.
    EXPECT_TRUE(entriesOf(container).empty());
}

TEST(SnapshotTarget, DefaultLeavesAnExistingContainerAsItIs) {
    TempTree t;
    const std::string container = t.path(std::string(kAppGroupIdentifier));
    t.folder(std::string(kAppGroupIdentifier));
    ::chmod(container.c_str(), 0750);
    const foundation::testing::ScopedContainerRoot root(t.root());
    prepareSnapshotTarget(std::nullopt);
    EXPECT_EQ(permissionsOf(container), 0750u);
}

TEST(SnapshotTarget, OutputArgumentDecidesTheMode) {
    TempTree t;
    t.file("existing.json", 10);
    t.folder("real");
    t.file("real/target.json", 10);
    t.symlink("real/target.json", "link.json");
    struct Case {
        std::string output;
        Mode mode;
        std::string path;
    };
    const Case cases[] = {
        {"-", Mode::standardOutput, ""},
        {t.path("new.json"), Mode::replaceFile, t.path("new.json")},
        {t.path("existing.json"), Mode::replaceFile, t.path("existing.json")},
        {t.path("link.json"), Mode::replaceFile, t.path("real/target.json")},
        {"/dev/null", Mode::writeInPlace, "/dev/null"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        const SnapshotTarget target = prepareSnapshotTarget(c.output);
        EXPECT_EQ(target.mode, c.mode);
        EXPECT_EQ(target.path, c.path);
    }
}

TEST(SnapshotTarget, UnwritableOutputsFailBeforeAnyScan) {
    TempTree t;
    t.folder("a folder");
    t.file("plain", 10);
    const foundation::testing::ScopedContainerRoot under_a_file(t.path("plain/share"));
    struct Case {
        const char* label;
        std::optional<std::string> output;
        int status;
    };
    const Case cases[] = {
        {"below a regular file", std::string("/etc/passwd/x"), 1},
        {"missing folder", t.path("no/such/folder/out.json"), 1},
        {"a folder", t.path("a folder"), 1},
        {"empty path", std::string(), 2},
        {"container below a file", std::nullopt, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        try {
            prepareSnapshotTarget(c.output);
            ADD_FAILURE() << "no error";
        } catch (const ScanError& e) {
            EXPECT_EQ(e.exitStatus(), c.status);
            EXPECT_FALSE(std::string(e.what()).empty());
        }
    }
}

TEST(WriteSnapshot, ReplacesTheFileWholeAndLeavesNoTemporary) {
    TempTree t;
    t.file("snapshot.json", 5000);
    const SnapshotTarget target = prepareSnapshotTarget(t.path("snapshot.json"));
    writeSnapshot(target, "{\"new\":true}\n", -1);
    EXPECT_EQ(foundation::readWholeFile(t.path("snapshot.json")), "{\"new\":true}\n");
    EXPECT_EQ(entriesOf(t.root()), std::vector<std::string>{"snapshot.json"});
    const mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_EQ(permissionsOf(t.path("snapshot.json")), 0666u & ~mask);
}

TEST(WriteSnapshot, ThroughALinkReplacesTheTargetAndKeepsTheLink) {
    TempTree t;
    t.file("target.json", 10);
    t.symlink("target.json", "link.json");
    writeSnapshot(prepareSnapshotTarget(t.path("link.json")), "{}", -1);
    EXPECT_EQ(foundation::readWholeFile(t.path("target.json")), "{}");
    struct stat st {};
    ASSERT_EQ(::lstat(t.path("link.json").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST(WriteSnapshot, FailureMidwayKeepsTheOldFileExactly) {
    TempTree t;
    const std::string old = "{\"old\":\"snapshot\"}";
    ASSERT_EQ(foundation::writeFileAtomically(t.path("snapshot.json"), old), "");
    const SnapshotTarget target = prepareSnapshotTarget(t.path("snapshot.json"));
    for (const std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{7}}) {
        SCOPED_TRACE(cut);
        const brimlet_test::FaultyEnvironment failing(cut);
        EXPECT_THROW(writeSnapshot(target, "{\"new\":\"and longer snapshot\"}", -1, failing),
                     ScanError);
        EXPECT_EQ(foundation::readWholeFile(t.path("snapshot.json")), old);
        EXPECT_EQ(entriesOf(t.root()), std::vector<std::string>{"snapshot.json"});
    }
}

TEST(WriteSnapshot, StandardOutputAndDevicesGetTheBytesStraight) {
    const brimlet_test::CapturedConsole console;
    writeSnapshot(prepareSnapshotTarget(std::string("-")), "{\"a\":1}", console.console().out);
    EXPECT_EQ(console.out(), "{\"a\":1}");
    EXPECT_NO_THROW(writeSnapshot(prepareSnapshotTarget(std::string("/dev/null")), "{}", -1));
    EXPECT_THROW(writeSnapshot(SnapshotTarget{Mode::writeInPlace, "/dev/full"}, "{}", -1),
                 ScanError);
}

}  // namespace
}  // namespace brimlet
