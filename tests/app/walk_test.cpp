// The walk's per-folder counts of files and folders, against a brute-force count of a generated
// tree.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <random>
#include <utility>

#include "tests/app/scan_testing.h"

namespace brimlet {
namespace {

using namespace brimlet_test;
using Counts = std::map<std::string, std::pair<std::int64_t, std::int64_t>>;  // files, folders

// Every folder below `root` ("" for the root, "/a/b" below it) with the entries of its subtree
// that are not folders (each inode once, at its path that sorts first) and the folders strictly
// below it.
Counts bruteForce(const std::string& root) {
    Counts counts{{"", {0, 0}}};
    std::map<std::uint64_t, std::string> firstPath;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string relative = entry.path().string().substr(root.size());
        struct stat st {};
        EXPECT_EQ(::lstat(entry.path().c_str(), &st), 0);
        if (S_ISDIR(st.st_mode)) {
            counts[relative];
        } else if (auto [it, fresh] = firstPath.emplace(st.st_ino, relative);
                   !fresh && relative < it->second) {
            it->second = relative;
        }
    }
    for (auto& [folder, figures] : counts) {
        const std::string below = folder + "/";
        for (const auto& [inode, path] : firstPath) figures.first += path.starts_with(below);
        for (const auto& [other, unused] : counts) figures.second += other.starts_with(below);
    }
    return counts;
}

Counts walked(const FolderTree& tree) {
    Counts counts;
    for (std::vector<const Folder*> pending{&tree.root()}; !pending.empty();) {
        const Folder* f = pending.back();
        pending.pop_back();
        counts[folderPath(*f, "")] = {f->files, f->folders};
        pending.insert(pending.end(), f->children.begin(), f->children.end());
    }
    return counts;
}

TEST(Walk, FileAndFolderCountsOfEverySubtreeMatchABruteForceCount) {
    // 80 folders, each inside a random earlier one; 400 files, links and hard links to earlier
    // files placed at random, an empty folder among them.
    std::mt19937 random(17);
    std::vector<std::string> folders{""};
    std::vector<Entry> entries{{Entry::folder, "empty"}};
    for (int i = 0; i < 80; ++i) {
        folders.push_back(folders[random() % folders.size()] + "d" + std::to_string(i) + "/");
        entries.push_back({Entry::folder, folders.back()});
    }
    std::vector<std::string> files;
    for (int i = 0; i < 400; ++i) {
        const std::string at = folders[random() % folders.size()] + "f" + std::to_string(i);
        if (i % 5 == 4) {
            entries.push_back({Entry::hardlink, at, 0, files[random() % files.size()]});
        } else if (i % 7 == 6) {
            entries.push_back({Entry::symlink, at, 0, "../elsewhere"});
        } else {
            entries.push_back({Entry::file, at, 10});
            files.push_back(at);
        }
    }
    TempTree t;
    t.build(entries, "r/");
    for (unsigned threads : {1u, 4u}) {
        const FolderTree tree = walkTree(t.path("r"), WalkOptions{threads});
        const Counts expected = bruteForce(t.path("r"));
        EXPECT_EQ(walked(tree), expected);
        EXPECT_EQ(tree.root().files, tree.files());
        EXPECT_EQ(tree.root().folders + 1, tree.folders());
        EXPECT_EQ(expected.at("").first, 400 - 80);  // every hard link shares an inode
    }
}

}  // namespace
}  // namespace brimlet
