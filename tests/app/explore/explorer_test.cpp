// The explorer over trees built by hand: moving in and out, the rows and the files row, the four
// orders with their ties, type-ahead, and a folder of 100,000 folders.
#include "app/explore/explorer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/scan/testing.h"

namespace brimlet {
namespace {

const std::string kReplaced = "\xEF\xBF\xBD";  // U+FFFD, shown for a byte that is not UTF-8

// /home/ada: 3 code files (1000 B) directly inside; Alpha (one 400 B document); beta (two media
// files, 300 B, and x/ with one 100 B image); gamma, of no size; two folders whose names are not
// UTF-8 and show alike. Root, Alpha and beta have 4096 B of their own.
struct Home {
    testing::FolderTreeBuilder b{"/home/ada"};
    Folder &alpha = b.add(b.root(), "Alpha", 4096), &beta = b.add(b.root(), "beta", 4096);
    Folder &x = b.add(beta, "x"), &gamma = b.add(b.root(), "gamma");
    Folder &fe = b.add(b.root(), "\xFE", 20), &ff = b.add(b.root(), "\xFF", 10);
    std::shared_ptr<const FolderTree> tree = [this] {
        b.root().size = 4096;
        b.addFiles(b.root(), 3, 1000, FileKind::code);
        b.addFiles(alpha, 1, 400, FileKind::documents);
        b.addFiles(beta, 2, 300, FileKind::media);
        b.addFiles(x, 1, 100, FileKind::images);
        return std::make_shared<const FolderTree>(b.finish());
    }();
};

std::vector<std::string> shown(const Explorer& e) {
    std::vector<std::string> rows;
    for (const auto& r : e.rows()) {
        rows.push_back(std::string(r.name) + " " + std::to_string(r.size) + " " +
                       std::to_string(r.items) + " " + std::string(kindLabel(r.biggestKind)));
    }
    return rows;
}

TEST(Explorer, GoesInAndOutAndToAnyPathAndCountsTheFilesDirectlyInside) {
    const Home home;
    Explorer e(home.tree);
    EXPECT_EQ(e.current().size, 4096 + 1000 + 4496 + 4496 + 20 + 10);
    EXPECT_EQ(e.rows()[0].share, 5096.0 / double(e.current().size));
    EXPECT_EQ(e.kinds()[std::size_t(FileKind::images)], 100);
    EXPECT_FALSE(e.leave());
    EXPECT_FALSE(e.enter(home.x));  // not directly inside the root
    ASSERT_TRUE(e.enter(home.beta));
    // The files row: the folder's size less its subfolders' (its own blocks count there).
    EXPECT_EQ(shown(e),
              (std::vector<std::string>{"Files in this folder 4396 2 Media", "x 100 1 Images"}));
    ASSERT_TRUE(e.enter(home.x));
    EXPECT_EQ(e.currentPath(), "/home/ada/beta/x");
    EXPECT_EQ(e.trail(), (std::vector<const Folder*>{&home.tree->root(), &home.beta, &home.x}));
    ASSERT_TRUE(e.show("/home/ada/gamma/"));
    EXPECT_TRUE(e.rows().empty());  // no files of its own, so no files row
    EXPECT_EQ(e.findPrefix(""), std::nullopt);
    const std::pair<std::string, const Folder*> kPaths[] = {{"/home/ada", &home.tree->root()},
                                                            {"/home/ada/\xFF", &home.ff},
                                                            {"/home/ada/nothing", nullptr},
                                                            {"/home/adam", nullptr},
                                                            {"/home", nullptr},
                                                            {"home/ada/beta", nullptr}};
    for (const auto& [path, folder] : kPaths) {
        const Folder* before = &e.current();
        EXPECT_EQ(e.show(path), folder != nullptr) << path;
        EXPECT_EQ(&e.current(), folder != nullptr ? folder : before) << path;
    }
}

TEST(Explorer, SortsEveryWayWithTiesAndFindsByPrefix) {
    const Home home;
    Explorer e(home.tree);
    const std::string a = "Alpha 4496 1 Documents", b = "beta 4496 4 Media",
                      f = "Files in this folder 5096 3 Code & dev", g = "gamma 0 0 Other",
                      x20 = kReplaced + " 20 0 Other", x10 = kReplaced + " 10 0 Other";
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
        e.sort(c.order);
        EXPECT_EQ(shown(e), c.rows);
        EXPECT_EQ(e.findPrefix("BE"), c.be);
        EXPECT_EQ(e.findPrefix("fi"), c.fi);
        EXPECT_EQ(e.findPrefix(kReplaced), c.replaced);
        EXPECT_EQ(e.findPrefix("betamax"), std::nullopt);
    }
    ASSERT_TRUE(e.enter(home.beta));  // the order holds across moves
    EXPECT_EQ(e.rows()[0].name, "x");
}

// Siblings sharing a long prefix are told apart past it; case, length and bytes past the
// eighth after the prefix still order them as the names do, with the files row among them.
TEST(Explorer, NamesSharingAPrefixOrderAsTheirWholeNames) {
    const std::vector<std::string> ascending = {
        "Files in this folder", "Project-",  "Project-a", "Project-ab",      "Project-abcdefghij10",
        "Project-abcdefghij2",  "Project-B", "Project-b", "Project-\xC3\xA9"};
    testing::FolderTreeBuilder b("/p");
    for (auto name = ascending.rbegin(); name + 1 != ascending.rend(); ++name)
        b.add(b.root(), *name, 10);
    b.addFiles(b.root(), 1, 10, FileKind::code);
    Explorer e(std::make_shared<const FolderTree>(b.finish()));
    const auto names = [&e] {
        std::vector<std::string> list;
        for (const auto& r : e.rows()) list.emplace_back(r.name);
        return list;
    };
    e.sort(ExplorerSort::nameAscending);
    EXPECT_EQ(names(), ascending);
    e.sort(ExplorerSort::nameDescending);
    EXPECT_EQ(names(), std::vector<std::string>(ascending.rbegin(), ascending.rend()));
    e.sort(ExplorerSort::sizeDescending);  // the files row is bigger: the rest tie on size
    auto bySize = ascending;
    std::rotate(bySize.begin(), bySize.begin() + 1, bySize.end());
    bySize.insert(bySize.begin(), bySize.back());
    bySize.pop_back();
    EXPECT_EQ(names(), bySize);
}

TEST(Explorer, FolderOfAHundredThousandFolders) {
    testing::FolderTreeBuilder b("/");
    const std::string longName(250, 'n');
    for (int i = 0; i < 100000; ++i)
        b.add(b.root(), (i % 1000 == 0 ? longName : "folder-") + std::to_string(i),
              (i * 7919) % 100003);
    Explorer e(std::make_shared<const FolderTree>(b.finish()));
    ASSERT_EQ(e.rows().size(), 100000u);
    EXPECT_TRUE(std::is_sorted(e.rows().begin(), e.rows().end(),
                               [](const auto& p, const auto& q) { return p.size > q.size; }));
    e.sort(ExplorerSort::nameAscending);
    EXPECT_TRUE(std::is_sorted(e.rows().begin(), e.rows().end(),
                               [](const auto& p, const auto& q) { return p.name < q.name; }));
    const auto found = e.findPrefix("FOLDER-99999");
    ASSERT_TRUE(found.has_value());
    EXPECT_TRUE(e.enter(*e.rows()[*found].folder));
    EXPECT_EQ(e.currentPath(), "/folder-99999");
    EXPECT_TRUE(e.show("/" + longName + "99000") && e.leave());
    EXPECT_EQ(e.rows().size(), 100000u);
}

}  // namespace
}  // namespace brimlet
