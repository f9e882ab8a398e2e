#include "platform/foundation/home.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "tests/support/scratch.h"

namespace foundation {
namespace {

// The password entry's directory, looked up independently of the code under test.
std::optional<std::string> passwordHome() {
    const passwd* entry = ::getpwuid(::getuid());
    if (entry == nullptr || entry->pw_dir == nullptr) return std::nullopt;
    return std::string(entry->pw_dir);
}

TEST(HomeDirectory, AnAbsoluteHomeIsUsedAsItStands) {
    for (const char* home : {"/tmp/elsewhere", "/", "/does/not/exist"}) {
        SCOPED_TRACE(home);
        const brimlet_test::ScopedEnv env("HOME", home);
        EXPECT_EQ(homeDirectory(), std::optional<std::string>(home));
    }
}

TEST(HomeDirectory, AnEmptyRelativeOrMissingHomeFallsBackToThePasswordEntry) {
    const auto expected = passwordHome();
    ASSERT_TRUE(expected.has_value()) << "the test user has no password entry";
    ASSERT_FALSE(expected->empty());
    ASSERT_EQ(expected->front(), '/') << "the password entry's directory is not absolute";
    for (const std::optional<std::string>& home :
         {std::optional<std::string>(""), std::optional<std::string>("relative/home"),
          std::optional<std::string>("."), std::optional<std::string>("~"),
          std::optional<std::string>(" /tmp"), std::optional<std::string>()}) {
        SCOPED_TRACE(home ? "HOME=\"" + *home + "\"" : std::string("HOME unset"));
        const brimlet_test::ScopedEnv env("HOME", home);
        const auto result = homeDirectory();
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(*result, *expected);
    }
}

}  // namespace
}  // namespace foundation
