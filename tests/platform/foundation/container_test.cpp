#include "platform/foundation/container.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/foundation/testing.h"
#include "tests/support/scratch.h"

namespace foundation {
namespace {

constexpr const char* kGroup = "BRM7Q2X9KD.org.brimlet.Brimlet";

class GroupContainer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(dir_.path().empty()); }
    brimlet_test::ScratchDir dir_;
};

TEST_F(GroupContainer, AbsentFolderIsNulloptAndIsNeverCreated) {
    const testing::ScopedContainerRoot root(dir_.path());
    EXPECT_EQ(groupContainer(kGroup), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(dir_ / kGroup));
    // The path alone is still known, and asking for it creates nothing either.
    EXPECT_EQ(groupContainerPath(kGroup), dir_ / kGroup + "/");
    EXPECT_FALSE(std::filesystem::exists(dir_ / kGroup));
}

TEST_F(GroupContainer, ExistingFolderUnderTheRootIsFound) {
    ASSERT_EQ(::mkdir((dir_ / kGroup).c_str(), 0700), 0);
    {
        const testing::ScopedContainerRoot root(dir_.path());
        EXPECT_EQ(groupContainer(kGroup), dir_ / kGroup + "/");
    }
    {
        // A root given with a trailing slash gives no doubled slash.
        const testing::ScopedContainerRoot root(dir_.path() + "/");
        EXPECT_EQ(groupContainer(kGroup), dir_ / kGroup + "/");
    }
}

TEST_F(GroupContainer, AFileInPlaceOfTheFolderIsNoContainer) {
    std::ofstream(dir_ / kGroup) << "not a folder";
    const testing::ScopedContainerRoot root(dir_.path());
    EXPECT_EQ(groupContainer(kGroup), std::nullopt);
}

TEST_F(GroupContainer, EmptyRootMeansNoContainerAtAll) {
    // Even where a real data home would hold the folder.
    ASSERT_EQ(::mkdir((dir_ / kGroup).c_str(), 0700), 0);
    const brimlet_test::ScopedEnv xdg("XDG_DATA_HOME", dir_.path());
    ASSERT_EQ(groupContainer(kGroup), dir_ / kGroup + "/");
    const testing::ScopedContainerRoot root("");
    EXPECT_EQ(groupContainer(kGroup), std::nullopt);
    EXPECT_EQ(groupContainerPath(kGroup), std::nullopt);
}

TEST_F(GroupContainer, InnerRootWinsUntilItsScopeEnds) {
    ASSERT_EQ(::mkdir((dir_ / "outer").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((dir_ / "outer/G").c_str(), 0700), 0);
    const testing::ScopedContainerRoot outer(dir_ / "outer");
    {
        const testing::ScopedContainerRoot inner(dir_ / "inner");
        EXPECT_EQ(groupContainer("G"), std::nullopt);
    }
    EXPECT_EQ(groupContainer("G"), dir_ / "outer/G/");
}

TEST_F(GroupContainer, IdentifiersThatCouldLeaveTheRootAreRejected) {
    ASSERT_EQ(::mkdir((dir_ / "inside").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((dir_ / "inside/a").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((dir_ / "inside/a/b").c_str(), 0700), 0);
    const testing::ScopedContainerRoot root(dir_ / "inside");
    for (const std::string& id : {std::string(""), std::string("."), std::string(".."),
                                 std::string("a/b"), std::string("../inside"), std::string("/tmp"),
                                 std::string("a/"), std::string("a\0b", 3)}) {
        SCOPED_TRACE("identifier \"" + id + "\"");
        EXPECT_EQ(groupContainer(id), std::nullopt);
        EXPECT_EQ(groupContainerPath(id), std::nullopt);
    }
    // Dots inside an identifier are ordinary characters.
    ASSERT_EQ(::mkdir((dir_ / "inside/a..b").c_str(), 0700), 0);
    EXPECT_EQ(groupContainer("a..b"), dir_ / "inside/a..b/");
}

TEST_F(GroupContainer, DataHomeIsAnAbsoluteXdgDataHomeOrTheHomeShareFolder) {
    {
        const brimlet_test::ScopedEnv xdg("XDG_DATA_HOME", dir_ / "data");
        EXPECT_EQ(groupContainerPath(kGroup), dir_ / "data/" + kGroup + "/");
    }
    for (const std::optional<std::string>& xdg :
         {std::optional<std::string>(), std::optional<std::string>(""),
          std::optional<std::string>("relative/data")}) {
        SCOPED_TRACE(xdg ? "XDG_DATA_HOME=\"" + *xdg + "\"" : std::string("XDG_DATA_HOME unset"));
        const brimlet_test::ScopedEnv env("XDG_DATA_HOME", xdg);
        const brimlet_test::ScopedEnv home("HOME", dir_.path());
        EXPECT_EQ(groupContainerPath(kGroup), dir_ / ".local/share/" + kGroup + "/");
    }
}

}  // namespace
}  // namespace foundation
