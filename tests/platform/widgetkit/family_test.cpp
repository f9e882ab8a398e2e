#include "platform/widgetkit/family.h"

#include <gtest/gtest.h>

#include <string>

namespace widgetkit {
namespace {

// Each family has a name that reads back as that family (so no two share one), and a tile with
// an area.
TEST(WidgetFamily, DistinctNamesReadBackAndEveryTileHasAnArea) {
    for (const auto family : kAllWidgetFamilies) {
        SCOPED_TRACE(std::string(familyName(family)));
        EXPECT_EQ(familyFromName(familyName(family)), family);
        EXPECT_GT(displaySize(family).width * displaySize(family).height, 0);
    }
    EXPECT_EQ(familyName(WidgetFamily::systemExtraLarge), "extraLarge");
}

}  // namespace
}  // namespace widgetkit
