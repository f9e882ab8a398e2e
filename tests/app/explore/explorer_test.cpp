// The explorer over a tree built by hand: moving in and out, the rows and the files row, the four
// orders with their ties, type-ahead, and a folder of 100,000 folders.
#include "app/explore/explorer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/scan/testing.h"

namespace brimlet {
namespace {

const std::string kReplaced = "\xEF\xBF\xBD";  // U+FFFD, for a byte that is not UTF-8

// /home/ada: 3 code files (1000 B) directly inside; Alpha (one 400 B document); beta (two media
// files, 300 B, and x/ with one 100 B image); gamma, empty and of no size; two folders whose
// names are not UTF-8 and show alike. Every real folder has 4096 B of its own.
struct Home {
    testing::FolderTreeBuilder b{"/home/ada"};
    Folder& alpha = b.add(b.root(), "Alpha", 4096);
    Folder& beta = b.add(b.root(), "beta", 4096);
    Folder& x = b.add(beta, "x");
    Folder& gamma = b.add(b.root(), "gamma");
    Folder& fe = b.add(b.root(), "\xFE", 20);
    Folder& ff = b.add(b.root(), "\xFF", 10);
    std::shared_ptr<const FolderTree> tree = [this] {
        b.root().size = 4096;
        b.addFiles(b.root(), 3, 1000, FileKind::code);
        b.addFiles(alpha, 1, 400, FileKind::documents);
        b.addFiles(beta, 2, 300, FileKind::media);
        b.addFiles(x, 1, 100, FileKind::images);
        return std::make_shared<const FolderTree>(b.finish());
    }();
};

std::vector<std::string> namesAndSizes(const Explorer& e) {
    std::vector<std::string> out;
    for (const auto& row : e.rows()) out.push_back(row.name + " " + std::to_string(row.size));
    return out;
}

TEST(Explorer, GoesInAndOutAndToAnyPath) {
    const Home home;
    Explorer e(home.tree);
    EXPECT_FALSE(e.leave());
    EXPECT_FALSE(e.enter(home.x));  // not directly inside the root
    EXPECT_TRUE(e.enter(home.beta));
    EXPECT_TRUE(e.enter(home.x));
    EXPECT_EQ(e.currentPath(), "/home/ada/beta/x");
    EXPECT_EQ(e.trail(), (std::vector<const Folder*>{&home.tree->root(), &home.beta, &home.x}));
    EXPECT_TRUE(e.leave());
    EXPECT_EQ(&e.current(), &home.beta);
    for (const auto& [path, shown] :
         std::vector<std::pair<std::string, const Folder*>>{{"/home/ada/beta/x/", &home.x},
                                                            {"/home/ada", &home.tree->root()},
                                                            {"/home/ada/\xFF", &home.ff},
                                                            {"/home/ada/nothing", nullptr},
                                                            {"/home/adam", nullptr},
                                                            {"/home", nullptr},
                                                            {"relative/beta", nullptr}}) {
        SCOPED_TRACE(path);
        const Folder* before = &e.current();
        EXPECT_EQ(e.show(path), shown != nullptr);
        EXPECT_EQ(&e.current(), shown != nullptr ? shown : before);
    }
}

TEST(Explorer, RowsCountSubtreesAndTheFilesDirectlyInside) {
    const Home home;
    Explorer e(home.tree);
    const std::int64_t total = 4096 + 1000 + 4496 + (4096 + 400) + 20 + 10;
    ASSERT_EQ(e.current().size, total);
    ASSERT_EQ(e.rows().size(), 6u);
    const ExplorerRow& files = e.rows()[0];
    EXPECT_EQ(files.folder, nullptr);
    EXPECT_EQ(files.name, kFilesRowName);
    EXPECT_EQ(files.size, 4096 + 1000);  // the folder's own blocks count here too
    EXPECT_EQ(files.items, 3);
    EXPECT_EQ(files.biggestKind, FileKind::code);
    EXPECT_DOUBLE_EQ(files.share, 5096.0 / double(total));
    const ExplorerRow& beta = e.rows()[2];
    EXPECT_EQ(beta.folder, &home.beta);
    EXPECT_EQ(beta.items, 4);  // two files, x and x's file
    EXPECT_EQ(beta.biggestKind, FileKind::media);
    const ExplorerRow& gamma = e.rows().back();
    EXPECT_EQ(gamma.folder, &home.gamma);
    EXPECT_EQ(gamma.biggestKind, FileKind::other);
    EXPECT_EQ(gamma.share, 0);
    EXPECT_EQ(e.kinds()[std::size_t(FileKind::images)], 100);
    // A folder without files of its own has no files row; an empty one has no rows.
    ASSERT_TRUE(e.enter(home.beta) && e.enter(home.x) && e.leave());
    EXPECT_EQ(namesAndSizes(e), (std::vector<std::string>{"Files in this folder 4396", "x 100"}));
    ASSERT_TRUE(e.leave() && e.enter(home.gamma));
    EXPECT_TRUE(e.rows().empty());
    EXPECT_EQ(e.findPrefix(""), std::nullopt);
}

TEST(Explorer, SortsEveryWayWithTiesAndFindsByPrefix) {
    const Home home;
    Explorer e(home.tree);
    const std::string a = "Alpha 4496", b = "beta 4496", f = "Files in this folder 5096",
                      g = "gamma 0", x20 = kReplaced + " 20", x10 = kReplaced + " 10";
    const struct {
        ExplorerSort order;
        std::vector<std::string> rows;
        std::size_t be, fi, replaced;  // where "BE", "fi" and U+FFFD are found
    } kCases[] = {
        {ExplorerSort::sizeDescending, {f, a, b, x20, x10, g}, 2, 0, 3},
        {ExplorerSort::sizeAscending, {g, x10, x20, a, b, f}, 4, 5, 1},
        {ExplorerSort::nameAscending, {a, b, f, g, x20, x10}, 1, 2, 4},
        {ExplorerSort::nameDescending, {x20, x10, g, f, b, a}, 4, 3, 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(int(c.order));
        e.sort(c.order);
        EXPECT_EQ(e.sorting(), c.order);
        EXPECT_EQ(namesAndSizes(e), c.rows);
        EXPECT_EQ(e.findPrefix("BE"), c.be);
        EXPECT_EQ(e.findPrefix("fi"), c.fi);
        EXPECT_EQ(e.findPrefix(kReplaced), c.replaced);
        EXPECT_EQ(e.findPrefix("betamax"), std::nullopt);
    }
    // The order holds across moves.
    ASSERT_TRUE(e.enter(home.beta));
    EXPECT_EQ(namesAndSizes(e), (std::vector<std::string>{"x 100", "Files in this folder 4396"}));
}

TEST(Explorer, FolderOfAHundredThousandFolders) {
    testing::FolderTreeBuilder b("/");
    const std::string longName(255, 'n');
    for (int i = 0; i < 100000; ++i) {
        b.add(b.root(), (i % 1000 == 0 ? longName : "folder-") + std::to_string(i),
              (i * 7919) % 100003);
    }
    Explorer e(std::make_shared<const FolderTree>(b.finish()));
    ASSERT_EQ(e.rows().size(), 100000u);
    const auto bigger = [](const ExplorerRow& p, const ExplorerRow& q) { return p.size > q.size; };
    EXPECT_TRUE(std::is_sorted(e.rows().begin(), e.rows().end(), bigger));
    e.sort(ExplorerSort::nameAscending);
    EXPECT_TRUE(std::is_sorted(e.rows().begin(), e.rows().end(),
                               [](const auto& p, const auto& q) { return p.name < q.name; }));
    const auto found = e.findPrefix("FOLDER-99999");
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(e.rows()[*found].name, "folder-99999");
    EXPECT_TRUE(e.enter(*e.rows()[*found].folder));
    EXPECT_EQ(e.currentPath(), "/folder-99999");
    EXPECT_TRUE(e.show("/" + longName + "99000"));
    EXPECT_TRUE(e.leave());
    EXPECT_EQ(e.rows().size(), 100000u);
}

}  // namespace
}  // namespace brimlet
