#include "extension/entry/bundle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "extension/breakdown/breakdown_widget.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using widgetkit::WidgetFamily;
using Families = std::vector<WidgetFamily>;

TEST(BundleDeclarations, TwoWidgetsFullnessFirst) {
    const widgetkit::TupleWidget widgets = BrimletWidgetBundle{}.body();
    ASSERT_EQ(widgets.size(), 2u);

    const auto& fullness = widgets[0];
    EXPECT_EQ(fullness.kind(), "org.brimlet.Brimlet.fullness");
    EXPECT_EQ(fullness.displayName(), "Disk Space");
    EXPECT_EQ(fullness.descriptionText(), "How full your disk is, at a glance.");
    EXPECT_EQ(fullness.families(), (Families{WidgetFamily::systemSmall, WidgetFamily::systemMedium}));

    const auto& breakdown = widgets[1];
    EXPECT_EQ(breakdown.kind(), "org.brimlet.Brimlet.breakdown");
    EXPECT_EQ(breakdown.displayName(), "Disk Breakdown");
    EXPECT_EQ(breakdown.descriptionText(),
              "Biggest folders and kinds \xE2\x80\x94 the whole disk, or a folder you pin.");
    EXPECT_EQ(breakdown.families(), (Families{WidgetFamily::systemMedium, WidgetFamily::systemLarge}));
}

TEST(BundleDeclarations, TheBreakdownDescriptionIsSixtySixBytesWithAnEmDash) {
    const std::string description = BreakdownWidget{}.body().descriptionText();
    EXPECT_EQ(description.size(), 66u);
    const auto dash = description.find("\xE2\x80\x94");
    ASSERT_NE(dash, std::string::npos);
    EXPECT_EQ(description.substr(dash - 1, 5), " \xE2\x80\x94 ");
}

TEST(BundleDeclarations, EachWidgetIsPlacedOnlyInItsFamilies) {
    const widgetkit::TupleWidget widgets = BrimletWidgetBundle{}.body();
    ASSERT_EQ(widgets.size(), 2u);
    for (const auto family : widgetkit::kAllWidgetFamilies) {
        SCOPED_TRACE(std::string(widgetkit::familyName(family)));
        EXPECT_EQ(widgets[0].supports(family),
                  family == WidgetFamily::systemSmall || family == WidgetFamily::systemMedium);
        EXPECT_EQ(widgets[1].supports(family),
                  family == WidgetFamily::systemMedium || family == WidgetFamily::systemLarge);
    }
}

TEST(BundleDeclarations, OnlyTheBreakdownWidgetHasAConfigurationPanel) {
    brimlet_test::SharedContainer noSnapshot;
    const widgetkit::TupleWidget widgets = BrimletWidgetBundle{}.body();
    ASSERT_EQ(widgets.size(), 2u);
    EXPECT_FALSE(widgets[0].panel().has_value());
    ASSERT_TRUE(widgets[1].panel().has_value());
    const widgetkit::IntentPanel& panel = *widgets[1].panel();
    EXPECT_EQ(panel.parameterTitle, "Folder (empty = whole disk)");
    EXPECT_EQ(panel.parameterTitle.size(), 27u);
    EXPECT_EQ(panel.typeName, "Folder");
    EXPECT_EQ(panel.intentTitle, "Disk Breakdown");
    EXPECT_EQ(panel.intentTitle, widgets[1].displayName());
    // Without a snapshot the picker offers the whole disk alone, preselected.
    const auto options = panel.options();
    ASSERT_EQ(options.size(), 1u);
    EXPECT_EQ(options[0].id, "");
    EXPECT_EQ(options[0].title, "Everything");
    const auto preselected = panel.defaultOption();
    ASSERT_TRUE(preselected.has_value());
    EXPECT_EQ(preselected->id, "");
}

TEST(BundleDeclarations, BuildingTheBodyTwiceGivesEqualDeclarations) {
    const widgetkit::TupleWidget first = BrimletWidgetBundle{}.body();
    const widgetkit::TupleWidget second = BrimletWidgetBundle{}.body();
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        SCOPED_TRACE(first[i].kind());
        EXPECT_EQ(first[i].kind(), second[i].kind());
        EXPECT_EQ(first[i].displayName(), second[i].displayName());
        EXPECT_EQ(first[i].descriptionText(), second[i].descriptionText());
        EXPECT_EQ(first[i].families(), second[i].families());
        EXPECT_EQ(first[i].panel().has_value(), second[i].panel().has_value());
        if (first[i].panel() && second[i].panel()) {
            EXPECT_EQ(first[i].panel()->parameterTitle, second[i].panel()->parameterTitle);
            EXPECT_EQ(first[i].panel()->typeName, second[i].panel()->typeName);
        }
    }
}

}  // namespace
}  // namespace brimlet
