// Whole-file reads, the home folder and the group containers under the data home.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "platform/foundation/container.h"
#include "platform/foundation/file.h"
#include "platform/foundation/home.h"
#include "platform/foundation/testing.h"
#include "tests/support/scratch.h"

namespace foundation {
namespace {

using namespace std::string_literals;
using Text = std::optional<std::string>;

TEST(ReadWholeFile, OnlyARegularFileWithinTheInclusiveLimit) {
    const brimlet_test::ScratchDir dir;
    ASSERT_FALSE(dir.path().empty());
    const std::string binary = "{\"a\":1}\n\0\xff"s, ten(10, 'x');
    for (const auto& [name, bytes] : {std::pair{"binary", binary}, std::pair{"ten", ten},
                                      std::pair{"eleven", ten + "x"}, std::pair{"empty", ""s}}) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }
    ASSERT_EQ(::symlink((dir / "ten").c_str(), (dir / "link").c_str()), 0);
    ASSERT_EQ(::mkdir((dir / "sub").c_str(), 0700), 0);
    // Opened without O_NONBLOCK, a FIFO without a writer would block the read for ever.
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    constexpr std::size_t kAny = kMaxWholeFileBytes;
    const std::tuple<std::string, std::size_t, Text> cases[] = {
        {dir / "binary", kAny, binary},
        {dir / "link", kAny, ten},
        {dir / "ten", 10, ten},
        {dir / "eleven", 10, {}},
        {dir / "empty", 0, ""},
        {dir / "missing", kAny, {}},
        {dir / "sub", kAny, {}},
        {dir / "fifo", kAny, {}},
        // A limit with no byte above it still reads the file.
        {dir / "ten", std::numeric_limits<std::size_t>::max(), ten},
        // /proc reports a size of 0 and holds more: the limit must hold while reading.
        {"/proc/self/mountinfo", 16, {}},
    };
    for (const auto& [path, limit, expected] : cases) {
        SCOPED_TRACE(::testing::Message() << path << " limit " << limit);
        EXPECT_EQ(readWholeFile(path, limit), expected);
    }
    const auto mounts = readWholeFile("/proc/self/mountinfo");
    ASSERT_TRUE(mounts.has_value());
    EXPECT_NE(mounts->find(" / "), std::string::npos);
}

TEST(Folders, ParentsAndCreationThroughMissingParentsLeavingExistingOnes) {
    const std::pair<const char*, const char*> parents[] = {
        {"name", "."}, {"/top", "/"}, {"/a/b", "/a"}};
    for (const auto& [path, parent] : parents) EXPECT_EQ(parentFolder(path), parent) << path;
    const brimlet_test::ScratchDir dir;
    std::ofstream(dir / "file") << "not a folder";
    EXPECT_TRUE(createDirectories(dir / "a/b/c").ok());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "a/b/c"));
    EXPECT_TRUE(createDirectories(dir / "a/b").ok());
    for (const std::string& path : {dir / "file", dir / "file/sub", std::string()}) {
        EXPECT_FALSE(createDirectories(path).ok()) << path;
    }
}

// A pid that ran and is gone (reaped), for temporary files whose creator no longer runs.
pid_t deadPid() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

// Before it writes, the atomic writer removes the temporary files that earlier writes of the same
// file left behind (a writer killed half-way): those of a creator that no longer runs, and any
// older than an hour. A live writer's fresh one, and other files' temporaries, stay. A failed
// write leaves no temporary file of its own.
TEST(WriteFileAtomically, SweepsTheStaleTemporariesOfItsOwnFileOnly) {
    const brimlet_test::ScratchDir dir;
    const std::string dead = std::to_string(deadPid()), self = std::to_string(::getpid());
    constexpr int kOld = kStaleTemporaryAge + 60;
    const std::tuple<std::string, int, bool> cases[] = {
        {".placed.json.tmp-" + dead + "-0", 0, false},
        {".placed.json.tmp-" + self + "-900", 0, true},
        {".placed.json.tmp-" + self + "-901", kOld, false},
        {"placed.json.tmp-Ab12Cd", kOld, false},  // an older writer's name, no pid in it
        {"placed.json.tmp-Ab12Cd0", kOld, true},
        {"placed.json.tmp-Zy98Xw", 0, true},
        {".placed.json.tmp-" + dead, 0, true},
        {".placed.json.tmp-x" + dead + "-0", kOld, true},
        {".other.json.tmp-" + dead + "-0", kOld, true},
        {"placed.json.lock", kOld, true},
    };
    for (const auto& [name, age, kept] : cases) {
        std::ofstream(dir / name) << "partial";
        const timeval times[2] = {{::time(nullptr) - age, 0}, {::time(nullptr) - age, 0}};
        ASSERT_EQ(::utimes((dir / name).c_str(), times), 0);
    }
    ASSERT_TRUE(writeFileAtomically(dir / "placed.json", "{}").ok());
    for (const auto& [name, age, kept] : cases) {
        EXPECT_EQ(std::filesystem::exists(dir / name), kept) << name;
    }
    ASSERT_EQ(::mkdir((dir / "in-the-way").c_str(), 0700), 0);
    EXPECT_FALSE(writeFileAtomically(dir / "in-the-way", "{}").ok());
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 9u);  // the seven kept, placed.json and in-the-way
}

// $HOME counts when it is absolute, else the password entry's folder; the data home is an
// absolute $XDG_DATA_HOME, else the home's .local/share.
TEST(HomeDirectory, AbsoluteHomeAndDataHomeAsTheyStandOtherwiseTheirFallbacks) {
    const passwd* entry = ::getpwuid(::getuid());
    ASSERT_TRUE(entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/');
    for (const Text& value : {Text("/does/not/exist"), Text(""), Text("relative/home"), Text()}) {
        SCOPED_TRACE(value ? "\"" + *value + "\"" : "unset"s);
        const bool absolute = value && value->starts_with('/');
        {
            const brimlet_test::ScopedEnv home("HOME", value);
            EXPECT_EQ(homeDirectory(), absolute ? *value : entry->pw_dir);
        }
        const brimlet_test::ScopedEnv home("HOME", "/h"), xdg("XDG_DATA_HOME", value);
        EXPECT_EQ(groupContainerPath("G"), (absolute ? *value : "/h/.local/share") + "/G/");
    }
}

TEST(GroupContainer, AnExistingFolderUnderTheRootAndNeverCreated) {
    const brimlet_test::ScratchDir dir;
    ASSERT_FALSE(dir.path().empty());
    for (const char* folder : {"G", "a", "a/b", "a..b"})
        ASSERT_EQ(::mkdir((dir / folder).c_str(), 0700), 0);
    std::ofstream(dir / "file") << "not a folder";
    // A data home that holds G, which an empty root must not fall back on.
    const brimlet_test::ScopedEnv xdg("XDG_DATA_HOME", dir.path());
    const std::tuple<std::string, std::string, Text, Text> cases[] = {
        {dir.path(), "G", dir / "G/", dir / "G/"},
        {dir.path() + "/", "G", dir / "G/", dir / "G/"},
        {dir.path(), "absent", {}, dir / "absent/"},
        {dir.path(), "file", {}, dir / "file/"},
        {dir.path(), "a..b", dir / "a..b/", dir / "a..b/"},
        {"", "G", {}, {}},
        // Identifiers that could leave the root.
        {dir.path(), "", {}, {}},
        {dir.path(), ".", {}, {}},
        {dir.path(), "..", {}, {}},
        {dir.path(), "a/b", {}, {}},
        {dir.path(), "a\0b"s, {}, {}},
    };
    for (const auto& [rootPath, identifier, container, path] : cases) {
        SCOPED_TRACE("root \"" + rootPath + "\" identifier \"" + identifier + "\"");
        const testing::ScopedContainerRoot root(rootPath);
        EXPECT_EQ(groupContainer(identifier), container);
        EXPECT_EQ(groupContainerPath(identifier), path);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "absent"));
}

}  // namespace
}  // namespace foundation
