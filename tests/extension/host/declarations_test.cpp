#include "extension/entry/bundle.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    EXPECT_EQ(widgets[0].kind(), "org.brimlet.Brimlet.fullness");
    EXPECT_EQ(widgets[0].displayName(), "Disk Space");
    EXPECT_EQ(widgets[0].descriptionText(), "How full your disk is, at a glance.");
    EXPECT_EQ(widgets[1].kind(), "org.brimlet.Brimlet.breakdown");
    EXPECT_EQ(widgets[1].displayName(), "Disk Breakdown");
    EXPECT_EQ(widgets[1].descriptionText(),
              "Biggest folders and kinds \xE2\x80\x94 the whole disk, or a folder you pin.");
    const Families offered[] = {{WidgetFamily::systemSmall, WidgetFamily::systemMedium},
                                {WidgetFamily::systemMedium, WidgetFamily::systemLarge}};
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(widgets[i].families(), offered[i]);
        for (const auto family : widgetkit::kAllWidgetFamilies) {
            EXPECT_EQ(widgets[i].supports(family),
                      std::find(offered[i].begin(), offered[i].end(), family) != offered[i].end());
        }
    }
    EXPECT_FALSE(widgets[0].panel().has_value());
    ASSERT_TRUE(widgets[1].panel().has_value());
    const widgetkit::IntentPanel& panel = *widgets[1].panel();
    EXPECT_EQ(panel.parameterTitle, "Folder (empty = whole disk)");
    EXPECT_EQ(panel.typeName, "Folder");
    EXPECT_EQ(panel.intentTitle, widgets[1].displayName());
    const auto options = panel.options();
    ASSERT_EQ(options.size(), 1u);
    EXPECT_EQ(options[0].id, "");
    EXPECT_EQ(options[0].title, "Everything");
    const auto preselected = panel.defaultOption();
    ASSERT_TRUE(preselected.has_value());
    EXPECT_EQ(preselected->id, "");
}

}  // namespace
}  // namespace brimlet
