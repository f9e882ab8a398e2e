// The walk's per-folder counts of files and folders, against a brute-force count.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <random>

#include "tests/app/scan_testing.h"

namespace brimlet {
namespace {

using namespace brimlet_test;

TEST(Walk, FileAndFolderCountsOfEverySubtreeMatchABruteForceCount) {
    // 80 folders, each inside a random earlier one, and 400 entries among them: files, hard
    // links to earlier files, symbolic links.
    std::mt19937 random(17);
    std::vector<std::string> folders{""}, files;
    std::vector<Entry> entries{{Entry::folder, "empty"}};
    for (int i = 0; i < 80; ++i) {
        folders.push_back(folders[random() % folders.size()] + "d" + std::to_string(i) + "/");
        entries.push_back({Entry::folder, folders.back()});
    }
    for (int i = 0; i < 400; ++i) {
        const std::string at = folders[random() % folders.size()] + "f" + std::to_string(i);
        const auto type = i % 5 == 4 ? Entry::hardlink : i % 7 == 6 ? Entry::symlink : Entry::file;
        const std::string detail = type == Entry::hardlink ? files[random() % files.size()] : "..";
        entries.push_back({type, at, 10, detail});
        if (type == Entry::file) files.push_back(at);
    }
    TempTree t;
    t.build(entries, "r/");
    const std::string root = t.path("r");

    // Folder ("" for the root, "/a/b" below it) -> {entries that are not folders in its subtree,
    // each inode once at its path that sorts first; folders strictly below it}.
    std::map<std::string, std::pair<std::int64_t, std::int64_t>> expected{{"", {0, 0}}}, walked;
    std::map<std::uint64_t, std::string> firstPath;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string at = entry.path().string().substr(root.size());
        struct stat st {};
        ASSERT_EQ(::lstat(entry.path().c_str(), &st), 0);
        if (S_ISDIR(st.st_mode)) {
            expected[at];
        } else if (auto [it, fresh] = firstPath.emplace(st.st_ino, at); !fresh) {
            it->second = std::min(it->second, at);
        }
    }
    for (auto& [folder, counts] : expected) {
        for (const auto& [inode, path] : firstPath) counts.first += path.starts_with(folder + "/");
        for (const auto& [other, _] : expected) counts.second += other.starts_with(folder + "/");
    }
    ASSERT_EQ(expected.at("").first, 400 - 80);  // a hard link adds no file

    for (unsigned threads : {1u, 4u}) {
        const FolderTree tree = walkTree(root, WalkOptions{threads});
        walked.clear();
        for (std::vector<const Folder*> pending{&tree.root()}; !pending.empty();) {
            const Folder* f = pending.back();
            pending.pop_back();
            walked[folderPath(*f, "")] = {f->files, f->folders};
            pending.insert(pending.end(), f->children.begin(), f->children.end());
        }
        EXPECT_EQ(walked, expected) << threads << " threads";
        EXPECT_EQ(tree.root().files, tree.files());
    }
}

}  // namespace
}  // namespace brimlet
