#include "extension/entry/bundle.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using widgetkit::WidgetFamily;
using Families = std::vector<WidgetFamily>;

// Where each widget may be placed under the kind its placements are stored by, fullness first;
// only the breakdown widget is configured, and without a snapshot its picker offers the whole disk
// alone, preselected.
TEST(BundleDeclarations, TwoWidgetsFullnessFirstOnlyTheBreakdownConfigured) {
    brimlet_test::SharedContainer noSnapshot;
    const widgetkit::TupleWidget widgets = BrimletWidgetBundle{}.body();
    ASSERT_EQ(widgets.size(), 2u);
    const std::pair<std::string, Families> declared[] = {
        {"org.brimlet.Brimlet.fullness", {WidgetFamily::systemSmall, WidgetFamily::systemMedium}},
        {"org.brimlet.Brimlet.breakdown", {WidgetFamily::systemMedium, WidgetFamily::systemLarge}}};
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(std::pair(widgets[i].kind(), widgets[i].families()), declared[i]);
    }
    ASSERT_TRUE(!widgets[0].panel().has_value() && widgets[1].panel().has_value());
    const auto options = widgets[1].panel()->options();
    const auto preselected = widgets[1].panel()->defaultOption();
    ASSERT_TRUE(options.size() == 1 && preselected.has_value());
    EXPECT_EQ(options[0].id + options[0].title + "|" + preselected->id, "Everything|");
}

}  // namespace
}  // namespace brimlet
