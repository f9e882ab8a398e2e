// The probe against the real file system, compared with statvfs of the home directory.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "extension/fullness/volume_sample.h"
#include "platform/foundation/file.h"
#include "platform/foundation/home.h"
#include "platform/foundation/volume.h"
#include "tests/extension/fullness/sample_matchers.h"

namespace brimlet {
namespace {

struct Figures {
    std::int64_t total;
    std::int64_t free;
};

std::optional<Figures> statHome(const std::string& home) {
    struct statvfs vfs {};
    if (::statvfs(home.c_str(), &vfs) != 0) return std::nullopt;
    // Every real file system is far below 2^63 bytes, so these products do not overflow. The
    // total leaves out the blocks reserved for root, as df does.
    return Figures{static_cast<std::int64_t>((vfs.f_blocks - vfs.f_bfree + vfs.f_bavail) * vfs.f_frsize),
                   static_cast<std::int64_t>(vfs.f_bavail * vfs.f_frsize)};
}

TEST(LiveProbe, AgreesWithStatvfsOfTheHomeDirectory) {
    const auto home = foundation::homeDirectory();
    ASSERT_TRUE(home.has_value());
    ASSERT_TRUE(statHome(*home).has_value()) << "statvfs(" << *home << ") failed";

    // Other processes write to the same file system, so the free figure can move between two
    // readings. Retry until statvfs reads the same before and after the probe; if it never holds
    // still, the probe's figure must at least lie between the two readings.
    VolumeSample sample{};
    Figures before{}, after{};
    bool steady = false;
    for (int attempt = 0; attempt < 50 && !steady; ++attempt) {
        before = *statHome(*home);
        sample = probeVolume();
        after = *statHome(*home);
        steady = before.total == after.total && before.free == after.free;
    }
    SCOPED_TRACE(::testing::PrintToString(sample));
    ASSERT_GE(before.total, 1) << "the home's file system reports no capacity";
    EXPECT_EQ(sample.total, after.total);
    if (steady) {
        EXPECT_EQ(sample.free, after.free);
    } else {
        EXPECT_GE(sample.free, std::min(before.free, after.free));
        EXPECT_LE(sample.free, std::max(before.free, after.free));
    }
    EXPECT_EQ(sample.used, std::max<std::int64_t>(sample.total - sample.free, 0));
    EXPECT_EQ(sample.usedFraction,
              std::clamp(static_cast<double>(sample.used) / static_cast<double>(sample.total), 0.0, 1.0));
}

TEST(LiveProbe, VolumeNameFollowsTheNamingRules) {
    const auto home = foundation::homeDirectory();
    ASSERT_TRUE(home.has_value());
    const VolumeSample sample = probeVolume();
    ASSERT_GE(sample.total, 1) << "the live probe fell back to the placeholder";
    // A label, the last component of a mount point other than "/", or "Disk": never empty.
    EXPECT_FALSE(sample.volumeName.empty());
    EXPECT_EQ(sample.volumeName.find('/'), std::string::npos);

    // Without any labelled file system the name comes from the mount point alone.
    std::error_code ec;
    if (std::filesystem::exists("/dev/disk/by-label", ec)) return;
    struct stat st {};
    ASSERT_EQ(::stat(home->c_str(), &st), 0);
    const auto mountinfo = foundation::readWholeFile("/proc/self/mountinfo");
    ASSERT_TRUE(mountinfo.has_value());
    const auto mount = foundation::mountPointFor(*home, st.st_dev, foundation::parseMountInfo(*mountinfo));
    ASSERT_TRUE(mount.has_value());
    SCOPED_TRACE("mount point " + *mount);
    if (*mount == "/") {
        EXPECT_EQ(sample.volumeName, "Disk");
    } else {
        EXPECT_EQ(sample.volumeName, mount->substr(mount->rfind('/') + 1));
    }
}

}  // namespace
}  // namespace brimlet
