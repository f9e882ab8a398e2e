#include "platform/widgetkit/family.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

namespace widgetkit {
namespace {

TEST(WidgetFamily, NamesAreTheCommandLineWordsAndRoundTrip) {
    struct Case {
        WidgetFamily family;
        const char* name;
    };
    const Case cases[] = {
        {WidgetFamily::systemSmall, "small"},
        {WidgetFamily::systemMedium, "medium"},
        {WidgetFamily::systemLarge, "large"},
        {WidgetFamily::systemExtraLarge, "extraLarge"},
        {WidgetFamily::accessoryCircular, "accessoryCircular"},
        {WidgetFamily::accessoryRectangular, "accessoryRectangular"},
        {WidgetFamily::accessoryInline, "accessoryInline"},
    };
    static_assert(std::size(cases) == kAllWidgetFamilies.size());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(familyName(c.family), c.name);
        EXPECT_EQ(familyFromName(c.name), c.family);
    }
}

TEST(WidgetFamily, EveryFamilyRoundTripsUnderADistinctName) {
    std::set<std::string_view> names;
    for (const auto family : kAllWidgetFamilies) {
        const auto name = familyName(family);
        SCOPED_TRACE(std::string(name));
        EXPECT_FALSE(name.empty());
        EXPECT_TRUE(names.insert(name).second) << "name used twice";
        EXPECT_EQ(familyFromName(name), family);
    }
}

TEST(WidgetFamily, UnknownNamesAreNullopt) {
    for (const std::string_view name :
         {std::string_view(""), std::string_view("Small"), std::string_view("SMALL"),
          std::string_view("small "), std::string_view(" small"), std::string_view("systemSmall"),
          std::string_view("extralarge"), std::string_view("extra-large"), std::string_view("sma"),
          std::string_view("smallx"), std::string_view("small\0", 6)}) {
        SCOPED_TRACE(::testing::PrintToString(std::string(name)));
        EXPECT_EQ(familyFromName(name), std::nullopt);
    }
}

TEST(WidgetFamily, DesktopTileSizes) {
    struct Case {
        WidgetFamily family;
        double width, height;
    };
    const Case cases[] = {
        {WidgetFamily::systemSmall, 170, 170},
        {WidgetFamily::systemMedium, 364, 170},
        {WidgetFamily::systemLarge, 364, 382},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(familyName(c.family)));
        const DisplaySize size = displaySize(c.family);
        EXPECT_EQ(size.width, c.width);
        EXPECT_EQ(size.height, c.height);
    }
}

TEST(WidgetFamily, EveryFamilyHasAPositiveTile) {
    for (const auto family : kAllWidgetFamilies) {
        SCOPED_TRACE(std::string(familyName(family)));
        const DisplaySize size = displaySize(family);
        EXPECT_GT(size.width, 0);
        EXPECT_GT(size.height, 0);
    }
}

}  // namespace
}  // namespace widgetkit
