#include "platform/widgetkit/family.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

namespace widgetkit {
namespace {

// Each family has a name of its own that reads back as that family, and a tile with an area.
TEST(WidgetFamily, DistinctNamesReadBackAndEveryTileHasAnArea) {
    std::set<std::string_view> names;
    for (const auto family : kAllWidgetFamilies) {
        SCOPED_TRACE(std::string(familyName(family)));
        EXPECT_TRUE(names.insert(familyName(family)).second) << "a name used twice";
        EXPECT_EQ(familyFromName(familyName(family)), family);
        EXPECT_GT(displaySize(family).width * displaySize(family).height, 0);
    }
    EXPECT_EQ(familyName(WidgetFamily::systemExtraLarge), "extraLarge");
}

TEST(WidgetFamily, NamesMatchWholeAndCaseSensitively) {
    using namespace std::literals;
    for (const auto name : {""sv, "Small"sv, "small "sv, "systemSmall"sv, "extralarge"sv,
                            "sma"sv, "small\0"sv}) {
        SCOPED_TRACE(::testing::PrintToString(std::string(name)));
        EXPECT_EQ(familyFromName(name), std::nullopt);
    }
}

}  // namespace
}  // namespace widgetkit
