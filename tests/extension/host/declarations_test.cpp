#include "extension/entry/bundle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using widgetkit::WidgetFamily;
using Families = std::vector<WidgetFamily>;

// What the widget gallery shows and where each widget may be placed; only the breakdown widget
// is configured, and without a snapshot its picker offers the whole disk alone, preselected.
TEST(BundleDeclarations, TwoWidgetsFullnessFirstOnlyTheBreakdownConfigured) {
    brimlet_test::SharedContainer noSnapshot;
    const widgetkit::TupleWidget widgets = BrimletWidgetBundle{}.body();
    ASSERT_EQ(widgets.size(), 2u);
    const std::vector<std::array<std::string, 3>> texts = {
        {"org.brimlet.Brimlet.fullness", "Disk Space", "How full your disk is, at a glance."},
        {"org.brimlet.Brimlet.breakdown", "Disk Breakdown",
         "Biggest folders and kinds \xE2\x80\x94 the whole disk, or a folder you pin."}};
    const Families offered[] = {{WidgetFamily::systemSmall, WidgetFamily::systemMedium},
                                {WidgetFamily::systemMedium, WidgetFamily::systemLarge}};
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ((std::array{widgets[i].kind(), widgets[i].displayName(), widgets[i].descriptionText()}),
                  texts[i]);
        EXPECT_EQ(widgets[i].families(), offered[i]);
        for (const auto family : widgetkit::kAllWidgetFamilies) {
            EXPECT_EQ(widgets[i].supports(family), std::ranges::count(offered[i], family) == 1);
        }
    }
    ASSERT_TRUE(!widgets[0].panel().has_value() && widgets[1].panel().has_value());
    const widgetkit::IntentPanel& panel = *widgets[1].panel();
    EXPECT_EQ(panel.parameterTitle + "|" + panel.typeName + "|" + panel.intentTitle,
              "Folder (empty = whole disk)|Folder|Disk Breakdown");
    const auto options = panel.options();
    const auto preselected = panel.defaultOption();
    ASSERT_TRUE(options.size() == 1 && preselected.has_value());
    EXPECT_EQ(options[0].id + options[0].title + "|" + preselected->id, "Everything|");
}

}  // namespace
}  // namespace brimlet
