#include "extension/intents/select_area_intent.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/appintents/widget_configuration_intent.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

// What a configuration panel shows, gathered the way a host does: from the intent type alone.
struct Panel {
    std::string parameterTitle;
    std::string typeName;
    std::string preselectedTitle;
    std::vector<std::string> optionTitles;
};

template <appintents::WidgetConfigurationIntent Intent>
Panel panelFor() {
    using Entity = appintents::ParameterEntity<Intent>;
    const Intent intent;
    Panel panel;
    panel.parameterTitle = appintents::configurableParameter(intent).title().resolved();
    panel.typeName = Entity::typeDisplayRepresentation().name.resolved();
    const auto query = Entity::defaultQuery();
    if (const auto preselected = query.defaultResult().get()) {
        panel.preselectedTitle = preselected->displayRepresentation().title.resolved();
    }
    for (const auto& entity : query.results().get()) {
        panel.optionTitles.push_back(entity.displayRepresentation().title.resolved());
    }
    return panel;
}

TEST(SelectAreaIntent, TheConfigurableParameterIsTheArea) {
    SelectAreaIntent intent;
    appintents::configurableParameter(intent).wrappedValue = AreaEntity{"work"};
    ASSERT_TRUE(intent.area.wrappedValue.has_value());
    EXPECT_EQ(intent.area.wrappedValue->id, "work");
    // Copies carry the choice; a fresh intent does not.
    const SelectAreaIntent copy = intent;
    EXPECT_EQ(copy.area.wrappedValue->id, "work");
    EXPECT_FALSE(SelectAreaIntent{}.area.wrappedValue.has_value());
}

TEST(SelectAreaIntent, PerformNeverProducesAResult) {
    auto result = SelectAreaIntent{}.perform();
    EXPECT_THROW(result.get(), appintents::IntentNotPerformable);
}

TEST(SelectAreaIntent, AHostReachesThePanelFromTheIntentType) {
    {
        brimlet_test::SharedContainer container;
        container.write(brimlet_test::Doc()
                            .set("areas", "[" + brimlet_test::areaJson(R"("work")") + "]")
                            .set("rootName", R"("code")")
                            .str());
        const Panel panel = panelFor<SelectAreaIntent>();
        EXPECT_EQ(SelectAreaIntent::title().resolved(), "Disk Breakdown");
        EXPECT_EQ(panel.parameterTitle, "Folder (empty = whole disk)");
        EXPECT_EQ(panel.typeName, "Folder");
        EXPECT_EQ(panel.preselectedTitle, "All of code");
        EXPECT_EQ(panel.optionTitles, (std::vector<std::string>{"All of code", "work"}));
    }
    {
        brimlet_test::SharedContainer empty;
        const Panel panel = panelFor<SelectAreaIntent>();
        EXPECT_EQ(panel.preselectedTitle, "Everything");
        EXPECT_EQ(panel.optionTitles, std::vector<std::string>{"Everything"});
    }
}

TEST(LocalizedStringResource, SubstitutesArgumentsInOrderWithoutRescanning) {
    using appintents::LocalizedStringResource;
    struct Case {
        const char* what;
        LocalizedStringResource resource;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"plain key", LocalizedStringResource("Folder"), "Folder"},
        {"empty key", LocalizedStringResource(""), ""},
        {"verbatim", LocalizedStringResource::verbatim("All of code"), "All of code"},
        {"verbatim placeholder text", LocalizedStringResource::verbatim("%@ and %@"), "%@ and %@"},
        {"two arguments", LocalizedStringResource("%@ of %@", {"a", "b"}), "a of b"},
        {"argument holding a placeholder", LocalizedStringResource("%@-%@", {"%@", "x"}), "%@-x"},
        {"missing argument", LocalizedStringResource("%@ free", {}), "%@ free"},
        {"extra argument", LocalizedStringResource("none", {"x"}), "none"},
        {"lone percent", LocalizedStringResource("100% %@", {"full"}), "100% full"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.resource.resolved(), c.expected);
    }
}

}  // namespace
}  // namespace brimlet
