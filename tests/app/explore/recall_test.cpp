// The scans remembered, as the window reads them: a record opened as a tree to explore, the
// record each choice of the comparison menu picks (through the clock seam of `now`), a folder's
// change as the list writes it, and the explorer's rows compared and sorted by change.
#include "app/explore/recall.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>

#include "app/explore/explorer.h"
#include "app/history/history.h"
#include "app/scan/testing.h"
#include "tests/app/history/history_testing.h"

namespace brimlet {
namespace {

using brimlet_test::kDay;
using brimlet_test::recordOf;

std::vector<std::string> shown(const Explorer& e) {
    std::vector<std::string> rows;
    for (const auto& r : e.rows()) {
        rows.push_back(std::string(r.name) + " " + std::to_string(r.size) + " " +
                       changeText(r.change));
    }
    return rows;
}

// Record and tree agree both ways: a walked tree recorded, opened and recorded again gives the
// same folders, sizes and kinds, and the tree's rows add up as the walk's would.
TEST(RecordTree, ARecordOpensAsTheTreeItWasRecordedFrom) {
    testing::FolderTreeBuilder b("/home/ada");
    Folder& videos = b.add(b.root(), "Videos", 4096);
    Folder& talks = b.add(videos, "talks", 4096);
    Folder& code = b.add(b.root(), "Code", 4096);
    b.add(code, "tiny", 10);  // under 0.1 % of the root: not recorded
    b.addFiles(b.root(), 2, 90'000, FileKind::documents);
    b.addFiles(videos, 1, 500'000, FileKind::media);
    b.addFiles(talks, 3, 300'000, FileKind::media);
    b.addFiles(code, 9, 100'000, FileKind::code);
    const FolderTree walked = b.finish();
    const HistoryRecord recorded = buildRecord(walked, 1, 2, foundation::Date{5});
    const auto tree = treeFromRecord(recorded);
    const HistoryRecord again = buildRecord(*tree, 1, 2, foundation::Date{5});
    ASSERT_EQ(again.folders.size(), recorded.folders.size());
    for (std::size_t i = 0; i < again.folders.size(); ++i) {
        SCOPED_TRACE(recorded.folders[i].path);
        EXPECT_EQ(again.folders[i].path, recorded.folders[i].path);
        EXPECT_EQ(again.folders[i].size, recorded.folders[i].size);
        EXPECT_EQ(again.folders[i].kinds, recorded.folders[i].kinds);
    }
    EXPECT_EQ(tree->rootPath(), "/home/ada");
    Explorer explorer(tree);
    // Code's own 10 bytes of "tiny" are not recorded, so its files row holds them.
    EXPECT_EQ(shown(explorer), (std::vector<std::string>{"Videos 808192 ", "Code 104106 ",
                                                         std::string(kFilesRowName) + " 90000 "}));
    ASSERT_TRUE(explorer.enter(*explorer.rows()[1].folder));
    EXPECT_EQ(shown(explorer), std::vector<std::string>{std::string(kFilesRowName) + " 104106 "});
}

// Damage in a record is left out, never invented: a folder whose parent is missing, a path twice.
TEST(RecordTree, FoldersWithoutTheirParentOrTwiceAreLeftOut) {
    const auto tree = treeFromRecord(recordOf(
        "/r", 0, {{"", 1000}, {"a", 600}, {"a/b", 300}, {"x/y", 200}, {"a", 50}, {"c", 100}}));
    Explorer explorer(tree);
    EXPECT_EQ(shown(explorer),
              (std::vector<std::string>{"a 600 ", "Files in this folder 300 ", "c 100 "}));
    EXPECT_EQ(tree->find("x/y"), nullptr);
    ASSERT_NE(tree->find("a/b"), nullptr);
    EXPECT_EQ(tree->find("a/b")->size, 300);
}

TEST(Recall, TheLatestRecordOfTheRootOpensWithItsRecords) {
    const brimlet_test::HistoryHome home;
    {
        History history(home.file(), History::Access::write);
        history.add(recordOf("/home/ada", 10 * kDay, {{"", 900}, {"Videos", 400}}));
        history.add(recordOf("/srv", 11 * kDay, {{"", 50}}));
        history.add(recordOf("/home/ada", 12 * kDay, {{"", 1000}, {"Videos", 700}}));
    }
    const auto recalled = recallLatest(home.file(), "/home/ada");
    ASSERT_TRUE(recalled);
    ASSERT_EQ(recalled->records.size(), 2u);
    EXPECT_EQ(recalled->records.back().time, foundation::Date{12 * kDay});
    EXPECT_EQ(recalled->tree->root().size, 1000);
    EXPECT_EQ(recalled->tree->find("Videos")->size, 700);
    EXPECT_FALSE(recallLatest(home.file(), "/home/bob"));
    EXPECT_FALSE(recallLatest(home.dir() / "none.sqlite3", "/home/ada"));
    EXPECT_TRUE(recordsOf(home.dir() / "none.sqlite3", "/home/ada").empty());
}

TEST(Recall, AHistoryThatIsNotADatabaseThrowsAndIsLeftAsItIs) {
    const brimlet_test::HistoryHome home;
    std::ofstream(home.file()) << "not a database, only text, and more than a page of it";
    EXPECT_THROW(recallLatest(home.file(), "/home/ada"), HistoryError);
    std::ifstream in(home.file());
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "not a database, only text, and more than a page of it");
}

// "A week ago" and its neighbours at a chosen `now`: the last record at or before the moment,
// the earliest when none is that old, never the latest itself.
TEST(Recall, TheMenuPicksTheLastRecordAtOrBeforeTheMoment) {
    const double now = 100 * kDay;
    std::vector<RecordSummary> records;
    for (const double daysAgo : {40.0, 20.0, 8.0, 7.0, 1.5, 0.2}) {
        records.push_back({0, "/r", foundation::Date{now - daysAgo * kDay}, 0, 0, 0, 0});
    }
    const struct {
        CompareWith choice;
        double nowShift;  // days added to `now`
        std::optional<std::size_t> index;
    } kTestCases[] = {
        {CompareWith::none, 0, std::nullopt}, {CompareWith::dayAgo, 0, 4},  // 1.5 days ago
        {CompareWith::dayAgo, -0.5, 4},        // a record exactly a day before: taken
        {CompareWith::weekAgo, 0, 3},          // exactly seven days ago: at, not before
        {CompareWith::weekAgo, -1 / kDay, 2},  // a second earlier: the one 8 days ago
        {CompareWith::monthAgo, 0, 0},         // 40 days ago
        {CompareWith::monthAgo, -20, 0},       // none that old: the earliest
    };
    for (const auto& c : kTestCases) {
        SCOPED_TRACE(static_cast<int>(c.choice));
        SCOPED_TRACE(c.nowShift);
        EXPECT_EQ(comparisonIndex(records, c.choice, foundation::Date{now + c.nowShift * kDay}),
                  c.index);
    }
    const std::vector<RecordSummary> one(records.end() - 1, records.end());
    EXPECT_EQ(comparisonIndex(one, CompareWith::weekAgo, foundation::Date{now}), std::nullopt);
}

TEST(Recall, TheChangeColumnsTexts) {
    using S = FolderGrowth::Status;
    const struct {
        std::optional<std::int64_t> before;
        std::int64_t change;
        S status;
        const char* text;
    } kTestCases[] = {
        {1000, 3'435'973'837, S::grew, "+3.2 GB"},
        {5'000'000, -1'048'576, S::shrank, "\u22121.0 MB"},
        {5'000'000, -1, S::shrank, "\u22121 B"},
        {std::nullopt, 2048, S::added, "New"},
        {4096, 0, S::grew, "No change"},
        {0, INT64_MAX, S::grew, "+8388608.0 TB"},
        {INT64_MAX, INT64_MIN, S::shrank, "\u22128388608.0 TB"},
    };
    for (const auto& c : kTestCases) {
        SCOPED_TRACE(c.text);
        const FolderGrowth growth{"a", c.before, 0, c.change, c.status};
        EXPECT_EQ(changeText(&growth), c.text);
    }
    EXPECT_EQ(changeText(nullptr), "");
}

// The explorer over a record compared with an earlier one: each row's change, a new folder
// marked, a folder too small to be recorded without a figure, and the two orders by change.
TEST(Recall, RowsCarryTheirChangeAndSortByIt) {
    const auto tree = treeFromRecord(recordOf("/r", 0,
                                              {{"", 10'000},
                                               {"grew", 5'000},
                                               {"new", 3'000},
                                               {"shrank", 1'500},
                                               {"same", 500},
                                               {"tiny", 5}}));
    Explorer explorer(tree);
    explorer.compareWith(
        recordOf("/r", 0, {{"", 9'000}, {"grew", 2'000}, {"shrank", 4'000}, {"same", 500}})
            .folders);
    explorer.sort(ExplorerSort::changeDescending);
    EXPECT_EQ(shown(explorer),
              (std::vector<std::string>{"grew 5000 +2.9 KB", "new 3000 New", "same 500 No change",
                                        "shrank 1500 \u22122.4 KB", "tiny 5 "}));
    explorer.sort(ExplorerSort::changeAscending);
    EXPECT_EQ(shown(explorer),
              (std::vector<std::string>{"shrank 1500 \u22122.4 KB", "same 500 No change",
                                        "grew 5000 +2.9 KB", "new 3000 New", "tiny 5 "}));
    explorer.stopComparing();
    EXPECT_EQ(explorer.sorting(), ExplorerSort::sizeDescending);
    EXPECT_EQ(shown(explorer).front(), "grew 5000 ");
}

}  // namespace
}  // namespace brimlet
