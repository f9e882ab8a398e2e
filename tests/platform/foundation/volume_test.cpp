#include "platform/foundation/volume.h"

#include <gtest/gtest.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/support/scratch.h"

namespace foundation {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::uint64_t kU64Max = std::numeric_limits<std::uint64_t>::max();
constexpr std::uint64_t kTwo63 = std::uint64_t{1} << 63;

TEST(SaturatingProduct, ExactUpToTheLimitSaturatedAboveWithoutWrapping) {
    const std::tuple<std::uint64_t, std::uint64_t, std::int64_t> cases[] = {
        {0, kU64Max, 0},
        {4096, 1'000'000'000, 4'096'000'000'000},
        {1, kTwo63 - 1, kMax},
        {1, kTwo63, kMax},
        {2, (std::uint64_t{1} << 62) - 1, kMax - 1},
        {std::uint64_t{1} << 32, std::uint64_t{1} << 32, kMax},  // 2^64 wraps to 0 unchecked
        {3, 0x5555555555555555u, kMax},                          // 2^64 - 1
    };
    for (const auto& [a, b, expected] : cases) {
        SCOPED_TRACE(::testing::Message() << a << " x " << b);
        EXPECT_EQ(saturatingProduct(a, b), expected);
    }
}

// The root reserve is neither used nor available.
TEST(CapacityFromBlocks, TotalIsUsedPlusAvailableAsDfCountsIt) {
    const std::tuple<const char*, BlockCounts, std::int64_t, std::int64_t> cases[] = {
        {"no reserve", {1000, 400, 400, 4096}, 1000 * 4096, 400 * 4096},
        {"5 % reserve", {1000, 400, 350, 4096}, 950 * 4096, 350 * 4096},
        {"reserve larger than what is free", {1000, 30, 0, 4096}, 970 * 4096, 0},
        {"more free than blocks", {1000, 1200, 1100, 1}, 1100, 1100},
        {"sum overflows", {kTwo63, 0, kTwo63 + 1, 1}, kMax, kMax},  // 2^64 + 1 wraps to 1 unchecked
    };
    for (const auto& [what, counts, total, available] : cases) {
        SCOPED_TRACE(what);
        const VolumeFigures f = capacityFromBlocks(counts);
        EXPECT_EQ(f.totalCapacity, total);
        EXPECT_EQ(f.availableCapacity, available);
    }
}

TEST(ParseMountInfo, DeviceAndUnescapedMountPointOfWellFormedLinesOnly) {
    const std::string text =
        "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
        "36 22 98:0 /mnt1 /mnt/two rw - ext3 /dev/root rw\n"  // the mount point, not the root
        // Empty, four fields, an empty mount point, no colon, letters, no minor: skipped.
        "\n1 0 8:1 /\n1 0 8:1 / \n1 0 81 / /nocolon rw\n1 0 a:b / /letters rw\n1 0 8: / /x rw\n"
        "2 0 1:1 / /My\\040Disk\\134\\011 rw\n"
        "2 0 1:2 / /short\\04 rw\n"
        "2 0 1:3 / /above\\400\\081 rw\n"  // above \377; 8 is no octal digit
        "40 22 259:17 / /end\\";           // five fields are enough, and no final newline
    const std::vector<std::pair<std::uint64_t, std::string>> expected = {
        {makedev(8, 2), "/"},
        {makedev(98, 0), "/mnt/two"},
        {makedev(1, 1), "/My Disk\\\t"},
        {makedev(1, 2), "/short\\04"},
        {makedev(1, 3), "/above\\400\\081"},
        {makedev(259, 17), "/end\\"},
    };
    std::vector<std::pair<std::uint64_t, std::string>> entries;
    for (const MountEntry& e : parseMountInfo(text)) entries.emplace_back(e.device, e.mountPoint);
    EXPECT_EQ(entries, expected);
}

TEST(MountPointFor, LongestPrefixAtASlashBoundaryPreferringTheQueriedDevice) {
    const std::vector<MountEntry> entries = {
        {1, "/"}, {2, "/home"}, {3, "/home/u/x"}, {1, "/srv"}, {4, "/srv/a"}};
    const std::tuple<const char*, std::uint64_t, std::optional<std::string>> cases[] = {
        {"/", 9, "/"},
        {"/home", 9, "/home"},
        {"/homework", 9, "/"},
        {"/home/u/x/y", 9, "/home/u/x"},
        {"/home/u/xy", 9, "/home"},
        // A path that was opened before /home was mounted over it, or a bind mount.
        {"/home/u", 1, "/"},
        {"/home/u/x/y", 2, "/home"},
        {"relative/path", 1, std::nullopt},
        {"", 1, std::nullopt},
    };
    for (const auto& [path, device, expected] : cases) {
        SCOPED_TRACE(::testing::Message() << path << " on device " << device);
        EXPECT_EQ(mountPointFor(path, device, entries), expected);
    }
    EXPECT_EQ(mountPointFor("/etc", 2, {{2, "/home"}}), std::nullopt);
}

// df reads the same statvfs figures; on a live file system they move between two calls, even
// away and back between two equal df readings around ours (other tests write files meanwhile).
// So a mismatch is retried, and only one that every steady attempt repeats is a failure: a
// wrong formula mismatches every time, a busy disk does not.
TEST(VolumeFigures, LiveFiguresEqualDfUsedAndAvailableWithoutAnImportantUsageFigure) {
    EXPECT_EQ(volumeFigures("/nonexistent-brimlet-path/x"), std::nullopt);
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') GTEST_SKIP() << "no absolute $HOME";
    const std::string command = "df -B1 --output=used,avail '" + std::string(home) + "'";
    const auto df = [&command] {
        std::pair<long long, long long> figures{-1, -1};  // after the header line "Used Avail"
        if (FILE* pipe = ::popen(command.c_str(), "r")) {
            if (std::fscanf(pipe, "%*s %*s %lld %lld", &figures.first, &figures.second) != 2) {
                figures.first = -1;
            }
            ::pclose(pipe);
        }
        return figures;
    };
    std::optional<std::pair<std::pair<long long, long long>, std::pair<long long, long long>>>
        mismatch;  // df's steady figures and ours, from the last steady attempt that differed
    for (int attempt = 0; attempt < 20; ++attempt) {
        const auto before = df();
        if (before.first < 0) GTEST_SKIP() << "df is not available";
        const auto figures = volumeFigures(home);
        if (before != df()) continue;
        ASSERT_TRUE(figures && figures->totalCapacity && figures->availableCapacity);
        EXPECT_FALSE(figures->availableCapacityForImportantUsage.has_value());
        const std::pair<long long, long long> ours{
            *figures->totalCapacity - *figures->availableCapacity, *figures->availableCapacity};
        if (ours == before) return;
        mismatch.emplace(before, ours);
    }
    if (!mismatch) GTEST_SKIP() << "the file system kept changing under df";
    EXPECT_EQ(mismatch->second, mismatch->first) << "(used, available): ours, then df's";
}

TEST(VolumeFigures, AVolumeReachedThroughASymbolicLinkIsNamedAfterItsTarget) {
    // /dev/shm is a tmpfs mount on every ordinary Linux system; without a label its name is the
    // last component of its mount point.
    const auto shm = volumeFigures("/dev/shm");
    if (!shm || shm->volumeName != std::optional<std::string>("shm")) GTEST_SKIP() << "no /dev/shm";
    const brimlet_test::ScratchDir folder;
    const std::string link = folder / "home";
    ASSERT_EQ(::symlink("/dev/shm", link.c_str()), 0);
    const auto figures = volumeFigures(link);
    ASSERT_TRUE(figures.has_value());
    EXPECT_EQ(figures->volumeName, std::optional<std::string>("shm"));
}

}  // namespace
}  // namespace foundation
