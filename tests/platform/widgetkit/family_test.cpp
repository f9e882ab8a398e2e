#include "platform/widgetkit/family.h"

#include <gtest/gtest.h>

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

TEST(WidgetFamily, UnknownNamesAreNullopt) {
    using namespace std::literals;
    for (const std::string_view name : {""sv, "Small"sv, "SMALL"sv, "small "sv, " small"sv, "systemSmall"sv,
                                        "extralarge"sv, "extra-large"sv, "sma"sv, "smallx"sv, "small\0"sv}) {
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
    for (const auto family : kAllWidgetFamilies) {
        SCOPED_TRACE(std::string(familyName(family)));
        EXPECT_GT(displaySize(family).width, 0);
        EXPECT_GT(displaySize(family).height, 0);
    }
}

}  // namespace
}  // namespace widgetkit
