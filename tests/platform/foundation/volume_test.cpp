#include "platform/foundation/volume.h"

#include <gtest/gtest.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <utility>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "platform/foundation/testing.h"

namespace foundation {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::uint64_t kU64Max = std::numeric_limits<std::uint64_t>::max();
constexpr std::uint64_t kTwo63 = std::uint64_t{1} << 63;

TEST(SaturatingProduct, ExactBelowTheLimitSaturatedAtAndAbove) {
    struct Case {
        std::uint64_t a, b;
        std::int64_t expected;
    };
    const Case cases[] = {
        {0, 0, 0},
        {0, kU64Max, 0},
        {kU64Max, 0, 0},
        {1, 1, 1},
        {4096, 1'000'000'000, 4'096'000'000'000},
        {1, kTwo63 - 1, kMax},             // exactly the limit
        {kTwo63 - 1, 1, kMax},
        {1, kTwo63, kMax},                 // one past the limit without wrapping 64 bits
        {2, (std::uint64_t{1} << 62) - 1, kMax - 1},
        {2, std::uint64_t{1} << 62, kMax}, // 2^63
        {std::uint64_t{1} << 32, (std::uint64_t{1} << 31) - 1, kMax - (std::int64_t{1} << 32) + 1},
        {std::uint64_t{1} << 32, std::uint64_t{1} << 31, kMax},
        {std::uint64_t{1} << 32, std::uint64_t{1} << 32, kMax},  // 2^64 wraps to 0 unchecked
        {3, 0x5555555555555555u, kMax},    // 2^64 - 1
        {kU64Max, kU64Max, kMax},
        {kU64Max, 2, kMax},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.a << " x " << c.b);
        EXPECT_EQ(saturatingProduct(c.a, c.b), c.expected);
    }
}

TEST(CapacityFromBlocks, TotalIsUsedPlusAvailableAsDfCountsIt) {
    struct Case {
        const char* what;
        BlockCounts counts;
        std::int64_t total, available;
    };
    const Case cases[] = {
        {"no reserve", {1000, 400, 400, 4096}, 1000 * 4096, 400 * 4096},
        // 5 % reserved for root: neither used nor available, so used stays 600 blocks.
        {"5 % reserve", {1000, 400, 350, 4096}, 950 * 4096, 350 * 4096},
        {"reserve larger than what is free", {1000, 30, 0, 4096}, 970 * 4096, 0},
        {"full disk", {1000, 0, 0, 512}, 1000 * 512, 0},
        {"empty disk", {1000, 1000, 1000, 1}, 1000, 1000},
        {"more free than blocks", {1000, 1200, 1100, 1}, 1100, 1100},
        {"no blocks", {0, 0, 0, 4096}, 0, 0},
        {"product overflows", {std::uint64_t{1} << 62, 0, 0, 4}, kMax, 0},
        {"sum overflows", {kU64Max, 0, kU64Max, 1}, kMax, kMax},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const VolumeFigures f = capacityFromBlocks(c.counts);
        EXPECT_EQ(f.totalCapacity, c.total);
        EXPECT_EQ(f.availableCapacity, c.available);
    }
}

TEST(ParseMountInfo, ReadsDeviceAndMountPointOfEachLine) {
    const std::string text =
        "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
        "36 22 98:0 /mnt1 /mnt/two rw,noatime master:1 - ext3 /dev/root rw,errors=continue\n"
        "40 22 259:17 / /home rw - btrfs /dev/nvme0n1p3 rw";  // the last line lacks its newline
    const auto entries = parseMountInfo(text);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].device, makedev(8, 2));
    EXPECT_EQ(entries[0].mountPoint, "/");
    EXPECT_EQ(entries[1].device, makedev(98, 0));
    EXPECT_EQ(entries[1].mountPoint, "/mnt/two");  // the mount point, not the root field
    EXPECT_EQ(entries[2].device, makedev(259, 17));
    EXPECT_EQ(entries[2].mountPoint, "/home");
}

TEST(ParseMountInfo, DecodesOctalEscapesOnly) {
    struct Case {
        const char* field;
        std::string expected;
    };
    const Case cases[] = {
        {"/media/My\\040Disk", "/media/My Disk"},
        {"/a\\011b", "/a\tb"},
        {"/a\\012b", "/a\nb"},
        {"/a\\134b", "/a\\b"},
        {"/\\040\\040", "/  "},
        {"/end\\040", "/end "},
        // Not an escape: kept as it stands.
        {"/end\\04", "/end\\04"},
        {"/end\\", "/end\\"},
        {"/a\\400b", "/a\\400b"},  // above \377
        {"/a\\08b", "/a\\08b"},    // 8 is no octal digit
        {"/a\\x20b", "/a\\x20b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        const auto entries = parseMountInfo(std::string("1 0 8:1 / ") + c.field + " rw - ext4 /dev/x rw\n");
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].mountPoint, c.expected);
    }
}

TEST(ParseMountInfo, SkipsMalformedLinesAndKeepsTheRest) {
    const std::string text =
        "\n"
        "garbage\n"
        "1 0 8:1 /\n"                 // four fields
        "1 0 8:1 / \n"                // empty mount point
        "1 0 81 / /nocolon rw\n"      // no major:minor
        "1 0 a:b / /letters rw\n"
        "1 0 :1 / /nomajor rw\n"
        "1 0 8: / /nominor rw\n"
        "2 0 8:3 / /good rw - ext4 /dev/sda3 rw\n"
        "   \n"
        "3 0 8:4 / /also\\040good\n";  // five fields are enough
    const auto entries = parseMountInfo(text);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].mountPoint, "/good");
    EXPECT_EQ(entries[0].device, makedev(8, 3));
    EXPECT_EQ(entries[1].mountPoint, "/also good");
    EXPECT_EQ(entries[1].device, makedev(8, 4));
    EXPECT_TRUE(parseMountInfo("").empty());
}

TEST(MountPointFor, LongestPrefixAtASlashBoundary) {
    const std::vector<MountEntry> entries = {
        {1, "/"},
        {2, "/home"},
        {3, "/home/user/data"},
        {4, "/media/My Disk"},
    };
    struct Case {
        const char* path;
        std::uint64_t device;
        const char* expected;
    };
    const Case cases[] = {
        {"/", 1, "/"},
        {"/etc", 1, "/"},
        {"/home", 2, "/home"},
        {"/home/user", 2, "/home"},
        {"/homework", 1, "/"},            // "/home" does not hold "/homework"
        {"/homework/x", 1, "/"},
        {"/home/user/data", 3, "/home/user/data"},
        {"/home/user/data/x/y", 3, "/home/user/data"},
        {"/home/user/database", 2, "/home"},
        {"/media/My Disk/film", 4, "/media/My Disk"},
        {"/media/My", 1, "/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(mountPointFor(c.path, c.device, entries), std::optional<std::string>(c.expected));
    }
}

TEST(MountPointFor, PrefersTheLongestPrefixOnTheQueriedDevice) {
    // /home/u sits on device 1 although /home is mounted from device 2 (for instance a path that
    // was opened before /home was mounted over it, or a bind mount).
    const std::vector<MountEntry> entries = {{1, "/"}, {2, "/home"}, {5, "/home/u/x"}};
    EXPECT_EQ(mountPointFor("/home/u", 1, entries), std::optional<std::string>("/"));
    EXPECT_EQ(mountPointFor("/home/u", 2, entries), std::optional<std::string>("/home"));
    // /home/u/x/y on device 1: the shorter "/" wins over the longer prefixes of other devices.
    EXPECT_EQ(mountPointFor("/home/u/x/y", 1, entries), std::optional<std::string>("/"));
    // Without an entry of that device: the longest prefix.
    EXPECT_EQ(mountPointFor("/home/u", 9, entries), std::optional<std::string>("/home"));
    EXPECT_EQ(mountPointFor("/home/u/x/y", 9, entries), std::optional<std::string>("/home/u/x"));
    // Of two mounts of the same device on the path, the longer.
    const std::vector<MountEntry> bind = {{7, "/"}, {7, "/srv"}, {8, "/srv/a"}};
    EXPECT_EQ(mountPointFor("/srv/a/b", 7, bind), std::optional<std::string>("/srv"));
}

TEST(MountPointFor, NoPrefixGivesNullopt) {
    const std::vector<MountEntry> noRoot = {{2, "/home"}, {3, "/mnt"}};
    EXPECT_EQ(mountPointFor("/etc/passwd", 2, noRoot), std::nullopt);
    EXPECT_EQ(mountPointFor("relative/path", 2, {{1, "/"}}), std::nullopt);
    EXPECT_EQ(mountPointFor("", 1, {{1, "/"}}), std::nullopt);
    EXPECT_EQ(mountPointFor("/home", 1, {}), std::nullopt);
}

TEST(VolumeFigures, TheSeamReplacesTheQueryAndSeesThePath) {
    std::string seen;
    const testing::ScopedVolumeQuery seam([&seen](const std::string& path) {
        seen = path;
        return std::optional<VolumeFigures>();
    });
    EXPECT_EQ(volumeFigures("/some/where"), std::nullopt);
    EXPECT_EQ(seen, "/some/where");
}

TEST(VolumeFigures, LiveQueryFailsForAMissingPathAndHasNoImportantUsageFigure) {
    EXPECT_EQ(volumeFigures("/nonexistent-brimlet-path/x"), std::nullopt);
    const auto figures = volumeFigures("/");
    ASSERT_TRUE(figures.has_value());
    ASSERT_TRUE(figures->totalCapacity.has_value());
    ASSERT_TRUE(figures->availableCapacity.has_value());
    EXPECT_GE(*figures->totalCapacity, 0);
    EXPECT_GE(*figures->availableCapacity, 0);
    EXPECT_FALSE(figures->availableCapacityForImportantUsage.has_value());
}

// df reads the same statvfs figures; on a live file system they can move between two calls,
// so the comparison waits for two equal df readings around ours.
TEST(VolumeFigures, LiveFiguresEqualDfUsedAndAvailable) {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') GTEST_SKIP() << "no absolute $HOME";
    const auto df = [&]() -> std::optional<std::pair<std::int64_t, std::int64_t>> {
        const std::string command = std::string("df -B1 --output=used,avail '") + home + "'";
        FILE* pipe = ::popen(command.c_str(), "r");
        if (pipe == nullptr) return std::nullopt;
        char header[64] = {};
        long long used = -1, available = -1;
        const bool read = std::fgets(header, sizeof header, pipe) != nullptr &&
                          std::fscanf(pipe, "%lld %lld", &used, &available) == 2;
        ::pclose(pipe);
        if (!read) return std::nullopt;
        return std::pair<std::int64_t, std::int64_t>(used, available);
    };
    for (int attempt = 0; attempt < 20; ++attempt) {
        const auto before = df();
        if (!before) GTEST_SKIP() << "df is not available";
        const auto figures = volumeFigures(home);
        const auto after = df();
        if (before != after) continue;
        ASSERT_TRUE(figures && figures->totalCapacity && figures->availableCapacity);
        EXPECT_EQ(*figures->totalCapacity - *figures->availableCapacity, before->first);
        EXPECT_EQ(*figures->availableCapacity, before->second);
        return;
    }
    GTEST_SKIP() << "the file system kept changing under df";
}

TEST(VolumeFigures, AVolumeReachedThroughASymbolicLinkIsNamedAfterItsTarget) {
    // /dev/shm is a tmpfs mount on every ordinary Linux system; without a label its name is the
    // last component of its mount point.
    const auto shm = volumeFigures("/dev/shm");
    if (!shm || shm->volumeName != std::optional<std::string>("shm")) {
        GTEST_SKIP() << "no /dev/shm mount here";
    }
    char folder[] = "/tmp/brimlet-volume-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string link = std::string(folder) + "/home";
    ASSERT_EQ(::symlink("/dev/shm", link.c_str()), 0);
    const auto figures = volumeFigures(link);
    ::unlink(link.c_str());
    ::rmdir(folder);
    ASSERT_TRUE(figures.has_value());
    EXPECT_EQ(figures->volumeName, std::optional<std::string>("shm"));
}

}  // namespace
}  // namespace foundation
