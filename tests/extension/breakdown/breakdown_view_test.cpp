#include "extension/breakdown/breakdown_view.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/ui/testing/layout_queries.h"
#include "tests/extension/views/view_testing.h"

namespace brimlet {
namespace {

using brimlet_test::dump;
using brimlet_test::enclosing;
using brimlet_test::findText;
using brimlet_test::layTile;
using brimlet_test::sameColor;
using brimlet_test::textContent;
using brimlet_test::textsIn;
using widgetkit::WidgetFamily;
using Item = DiskSnapshot::Item;
using Items = std::vector<Item>;
using Texts = std::vector<std::string>;

constexpr const char* kEllipsis = "\xE2\x80\xA6";
constexpr WidgetFamily kBothFamilies[] = {WidgetFamily::systemMedium, WidgetFamily::systemLarge};

ui::View viewOf(std::optional<DiskSnapshot> snapshot,
                std::optional<std::string> areaName = std::nullopt) {
    return ui::View(
        BreakdownView{BreakdownEntry{foundation::Date{0}, std::move(snapshot), std::move(areaName)}});
}

// A small whole-disk snapshot with the given lists.
DiskSnapshot snapshotWith(Items folders, Items kinds) {
    return DiskSnapshot{foundation::Date{0}, "Macintosh HD", 0.6, 556, 370'000'000'000, 926,
                        std::move(folders),  std::move(kinds), std::nullopt, "code"};
}

bool showsEmptyState(const ui::LaidOutTile& tile) {
    return ui::testing::findNode(tile.content, "EmptyState") != nullptr &&
           findText(tile.content, "Open Brimlet to scan") != nullptr &&
           findText(tile.content, "Your biggest folders will show here.") != nullptr &&
           ui::testing::findNode(tile.content, "BreakdownList") == nullptr;
}

std::string nameOf(WidgetFamily family) { return std::string(widgetkit::familyName(family)); }

TEST(BreakdownViewChoice, EmptyStateWhenThereIsNothingToList) {
    struct Case {
        const char* what;
        std::optional<DiskSnapshot> snapshot;
        std::optional<std::string> areaName;
    };
    DiskSnapshot areaWithoutFolders = snapshotWith({{"a", 1}}, {{"k", 1}});
    areaWithoutFolders.areas = std::vector<DiskSnapshot::Area>{{"work", 5, {}, {{"Binaries", 4}}}};
    const std::vector<Case> cases = {
        {"no snapshot", std::nullopt, std::nullopt},
        {"no snapshot, an area configured", std::nullopt, "work"},
        {"no folders although kinds are present", snapshotWith({}, {{"Media", 42}}), std::nullopt},
        {"no folders and no kinds", snapshotWith({}, {}), ""},
        {"a pinned area without folders", areaWithoutFolders, "work"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto family : kBothFamilies) {
            SCOPED_TRACE(nameOf(family));
            const auto tile = layTile(viewOf(c.snapshot, c.areaName), family);
            EXPECT_TRUE(showsEmptyState(tile)) << dump(tile);
            EXPECT_EQ(ui::testing::findNode(tile.content, "FullnessRing"), nullptr);
        }
    }
}

TEST(BreakdownViewChoice, EmptyStateSitsInTheMiddleOverTheListsBackground) {
    for (const auto family : kBothFamilies) {
        SCOPED_TRACE(nameOf(family));
        const auto tile = layTile(viewOf(std::nullopt), family);
        const ui::LaidOutNode* state = ui::testing::findNode(tile.content, "EmptyState");
        ASSERT_NE(state, nullptr);
        // The empty state takes the whole content area.
        const widgetkit::DisplaySize size = widgetkit::displaySize(family);
        EXPECT_DOUBLE_EQ(state->frame.width, size.width - 32);
        EXPECT_DOUBLE_EQ(state->frame.height, size.height - 32);
        const ui::LaidOutNode* prompt = findText(tile.content, "Open Brimlet to scan");
        ASSERT_NE(prompt, nullptr);
        EXPECT_NEAR(prompt->frame.midX(), size.width / 2, 1e-9);
        const ui::LaidOutNode* image = ui::testing::findNode(tile.content, "Image");
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(std::get<ui::LaidOutImage>(image->content).systemName, "chart.pie");
        ASSERT_TRUE(tile.containerBackground.has_value());
        const ui::LaidOutNode* gradient = ui::testing::findNode(*tile.containerBackground, "LinearGradient");
        ASSERT_NE(gradient, nullptr);
        ASSERT_EQ(gradient->paint->stops.size(), 2u);
        EXPECT_TRUE(sameColor(gradient->paint->stops[0],
                              brimlet_test::withAlpha(ui::accentColor(ui::ColorScheme::light), 0.08)));
        EXPECT_EQ(gradient->paint->stops[1].alpha, 0.0);
        // The lists are laid over the same background.
        const auto full = layTile(viewOf(DiskSnapshot::preview()), family);
        ASSERT_TRUE(full.containerBackground.has_value());
        EXPECT_EQ(ui::toJson(*tile.containerBackground), ui::toJson(*full.containerBackground));
    }
}

TEST(BreakdownViewChoice, LargeWithThePreviewShowsHeaderFoldersDividerAndKinds) {
    const auto tile = layTile(viewOf(DiskSnapshot::preview()), WidgetFamily::systemLarge);
    EXPECT_EQ(textsIn(tile.content),
              (Texts{"code",           "344.6 GB free", "BIGGEST FOLDERS", "node_modules",
                     "44.7 GB",        "Photos Library", "28.9 GB",         "Downloads",
                     "20.5 GB",        "Library",        "16.8 GB",         "Movies",
                     "11.2 GB",        "BY KIND",        "Media",           "39.1 GB",
                     "Code & dev",     "35.4 GB",        "Images",          "23.3 GB",
                     "Archives",       "8.4 GB"}))
        << dump(tile);
    const auto lists = ui::testing::findNodes(tile.content, "BreakdownList");
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(ui::testing::findNodes(*lists[0], "BarRow").size(), 5u);
    EXPECT_EQ(ui::testing::findNodes(*lists[1], "BarRow").size(), 4u);
    const auto dividers = ui::testing::findNodes(tile.content, "Divider");
    ASSERT_EQ(dividers.size(), 1u);
    // The divider runs across the stack between the two lists.
    EXPECT_GT(dividers[0]->frame.y, lists[0]->frame.maxY());
    EXPECT_LT(dividers[0]->frame.maxY(), lists[1]->frame.y);
    EXPECT_DOUBLE_EQ(dividers[0]->frame.width, 332.0);
}

TEST(BreakdownViewChoice, LargeWithoutKindsHasNoDividerAndNoSecondList) {
    const auto tile = layTile(viewOf(snapshotWith({{"a", 2}, {"b", 1}}, {})),
                              WidgetFamily::systemLarge);
    EXPECT_EQ(ui::testing::findNodes(tile.content, "BreakdownList").size(), 1u) << dump(tile);
    EXPECT_EQ(ui::testing::findNode(tile.content, "Divider"), nullptr);
    EXPECT_EQ(findText(tile.content, "BY KIND"), nullptr);
    EXPECT_NE(findText(tile.content, "BIGGEST FOLDERS"), nullptr);
}

TEST(BreakdownViewChoice, MediumNeverShowsKinds) {
    for (const auto& areaName : {std::optional<std::string>{}, std::optional<std::string>{"work"}}) {
        SCOPED_TRACE(areaName.value_or("<no area>"));
        const auto tile = layTile(viewOf(DiskSnapshot::preview(), areaName),
                                  WidgetFamily::systemMedium);
        EXPECT_EQ(ui::testing::findNodes(tile.content, "BreakdownList").size(), 1u) << dump(tile);
        EXPECT_EQ(ui::testing::findNode(tile.content, "Divider"), nullptr);
        EXPECT_EQ(findText(tile.content, "BY KIND"), nullptr);
        EXPECT_EQ(findText(tile.content, "Media"), nullptr);
        EXPECT_EQ(findText(tile.content, "Binaries"), nullptr);
    }
}

TEST(BreakdownViewChoice, MediumShowsTheResolvedTitleAndFolders) {
    struct Case {
        const char* what;
        std::optional<std::string> areaName;
        Texts texts;
    };
    const std::vector<Case> cases = {
        {"whole disk", std::nullopt,
         {"code", "344.6 GB free", "BIGGEST FOLDERS", "node_modules", "44.7 GB", "Photos Library",
          "28.9 GB", "Downloads", "20.5 GB", "Library", "16.8 GB", "Movies", "11.2 GB"}},
        {"pinned area", "work",
         {"work", "344.6 GB free", "BIGGEST FOLDERS", "larrow", "8.4 GB", "mebbin-app", "5.6 GB"}},
        {"vanished area: whole disk, no notice", "gone",
         {"code", "344.6 GB free", "BIGGEST FOLDERS", "node_modules", "44.7 GB", "Photos Library",
          "28.9 GB", "Downloads", "20.5 GB", "Library", "16.8 GB", "Movies", "11.2 GB"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto tile = layTile(viewOf(DiskSnapshot::preview(), c.areaName),
                                  WidgetFamily::systemMedium);
        EXPECT_EQ(textsIn(tile.content), c.texts) << dump(tile);
    }
}

TEST(BreakdownViewChoice, EveryFamilyButLargeGetsTheMediumLayout) {
    for (const auto family : widgetkit::kAllWidgetFamilies) {
        SCOPED_TRACE(nameOf(family));
        const auto tile = layTile(viewOf(DiskSnapshot::preview()), family);
        const bool large = family == WidgetFamily::systemLarge;
        EXPECT_EQ(ui::testing::findNodes(tile.content, "BreakdownList").size(), large ? 2u : 1u);
    }
}

TEST(BreakdownLayout, RowFramesAreFixedAroundABarThatTakesTheRest) {
    for (const auto family : kBothFamilies) {
        SCOPED_TRACE(nameOf(family));
        const auto tile = layTile(viewOf(DiskSnapshot::preview()), family);
        const auto rows = ui::testing::findNodes(tile.content, "BarRow");
        ASSERT_FALSE(rows.empty()) << dump(tile);
        for (const ui::LaidOutNode* row : rows) {
            ASSERT_EQ(row->children.size(), 1u);
            const ui::LaidOutNode& stack = row->children[0];
            ASSERT_EQ(stack.type, "HStack");
            ASSERT_EQ(stack.children.size(), 3u);
            const ui::LaidOutNode& name = stack.children[0];
            const ui::LaidOutNode& bar = stack.children[1];
            const ui::LaidOutNode& size = stack.children[2];
            EXPECT_EQ(name.frame.width, 96.0);
            EXPECT_EQ(size.frame.width, 56.0);
            EXPECT_EQ(bar.frame.height, 12.0);
            EXPECT_DOUBLE_EQ(bar.frame.width, 332.0 - 96 - 56 - 16);
            EXPECT_DOUBLE_EQ(bar.frame.x - name.frame.maxX(), 8.0);
            EXPECT_DOUBLE_EQ(size.frame.x - bar.frame.maxX(), 8.0);
            // The name is flush left in its frame, the size flush right.
            const ui::LaidOutNode* nameText = ui::testing::findNode(name, "Text");
            const ui::LaidOutNode* sizeText = ui::testing::findNode(size, "Text");
            ASSERT_NE(nameText, nullptr);
            ASSERT_NE(sizeText, nullptr);
            EXPECT_DOUBLE_EQ(nameText->frame.x, name.frame.x);
            EXPECT_DOUBLE_EQ(sizeText->frame.maxX(), size.frame.maxX());
            // Two 6-point capsules centred in the 12-point bar area.
            const auto capsules = ui::testing::findNodes(bar, "Capsule");
            ASSERT_EQ(capsules.size(), 2u);
            for (const ui::LaidOutNode* capsule : capsules) {
                EXPECT_EQ(capsule->frame.height, 6.0);
                EXPECT_DOUBLE_EQ(capsule->frame.midY(), bar.frame.midY());
                EXPECT_DOUBLE_EQ(capsule->frame.x, bar.frame.x);
            }
            EXPECT_TRUE(capsules[1]->accentable);
            EXPECT_FALSE(capsules[0]->accentable);
        }
    }
}

TEST(BreakdownLayout, HeaderRingIsTwentySixPointsWithoutText) {
    for (const auto family : kBothFamilies) {
        SCOPED_TRACE(nameOf(family));
        const auto tile = layTile(viewOf(DiskSnapshot::preview()), family);
        const auto rings = ui::testing::findNodes(tile.content, "FullnessRing");
        ASSERT_EQ(rings.size(), 1u) << dump(tile);
        const ui::LaidOutNode* frame = enclosing(tile.content, rings[0], "Frame");
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->frame.width, 26.0);
        EXPECT_EQ(frame->frame.height, 26.0);
        EXPECT_TRUE(textsIn(*rings[0]).empty());
        const auto circles = ui::testing::findNodes(*rings[0], "Circle");
        ASSERT_EQ(circles.size(), 2u);
        const auto& arc = std::get<ui::LaidOutShape>(circles[1]->content);
        EXPECT_EQ(arc.trimTo, 0.6);
        EXPECT_EQ(arc.stroke->lineWidth, 6.0);
        // Title and free space sit eight points after the ring.
        const ui::LaidOutNode* title = findText(tile.content, "code");
        ASSERT_NE(title, nullptr);
        EXPECT_DOUBLE_EQ(title->frame.x - frame->frame.maxX(), 8.0);
    }
}

TEST(BreakdownLayout, ALongTitleIsCutInTheMiddleOnOneLine) {
    const std::string head = "Start-of-a-very-long-area-name";
    const std::string tail = "and-its-end";
    const std::string title = head + std::string(60, 'x') + tail;
    DiskSnapshot s = snapshotWith({{"a", 1}}, {});
    s.areas = std::vector<DiskSnapshot::Area>{{title, 1, {{"a", 1}}, {}}};
    for (const auto family : kBothFamilies) {
        SCOPED_TRACE(nameOf(family));
        const auto tile = layTile(viewOf(s, title), family);
        const ui::LaidOutNode* node = findText(tile.content, title);
        ASSERT_NE(node, nullptr) << dump(tile);
        const ui::LaidOutText* text = &textContent(*node);
        EXPECT_TRUE(text->truncated);
        ASSERT_EQ(text->lines.size(), 1u);
        const std::string& line = text->lines[0];
        const auto ellipsis = line.find(kEllipsis);
        ASSERT_NE(ellipsis, std::string::npos) << line;
        EXPECT_GT(ellipsis, 0u) << line;
        EXPECT_LT(ellipsis + 3, line.size()) << line;
        EXPECT_EQ(line.compare(0, 5, title, 0, 5), 0) << line;
        EXPECT_EQ(line.substr(line.size() - 3), title.substr(title.size() - 3)) << line;
        EXPECT_LE(node->frame.maxX(), 364.0 - 16 + 1e-9);
    }
}

}  // namespace
}  // namespace brimlet
