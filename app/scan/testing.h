#pragma once
// A FolderTree made by hand, for tests and benchmarks of what reads a finished walk: folders with
// their own bytes and files, summed into subtree figures the way the walk sums them. Not for
// production code, which only ever gets a tree from walkTree.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/scan/kinds.h"
#include "app/scan/walk.h"

namespace brimlet::testing {

class FolderTreeBuilder {
public:
    // `rootPath`: the absolute path the tree claims to have been walked from.
    explicit FolderTreeBuilder(std::string rootPath) {
        tree_.rootPath_ = std::move(rootPath);
        tree_.storage_.push_back(std::make_unique<std::deque<Folder>>());
        tree_.root_ = &tree_.storage_.back()->emplace_back();
    }

    Folder& root() { return *tree_.root_; }

    // A folder named `name` (raw bytes) directly inside `parent`, whose own blocks are
    // `ownBytes`.
    Folder& add(Folder& parent, std::string name, std::int64_t ownBytes = 0) {
        Folder& child = tree_.storage_.front()->emplace_back();
        child.parent = &parent;
        child.name = std::move(name);
        child.size = ownBytes;
        parent.children.push_back(&child);
        return child;
    }

    // `count` files directly inside `folder`, of `bytes` in all, of one kind.
    void addFiles(Folder& folder, std::int64_t count, std::int64_t bytes, FileKind kind) {
        folder.files += count;
        folder.size += bytes;
        folder.kinds[static_cast<std::size_t>(kind)] += bytes;
    }

    // The tree with every folder's figures summed over its subtree. The builder is spent.
    FolderTree finish() {
        std::vector<Folder*> order;
        for (std::vector<Folder*> pending{tree_.root_}; !pending.empty();) {
            Folder* f = pending.back();
            pending.pop_back();
            order.push_back(f);
            pending.insert(pending.end(), f->children.begin(), f->children.end());
        }
        tree_.folders_ = static_cast<std::int64_t>(order.size());
        for (auto it = order.rbegin(); it != order.rend(); ++it) {
            Folder* parent = (*it)->parent;
            if (parent == nullptr) continue;
            parent->size += (*it)->size;
            parent->files += (*it)->files;
            parent->folders += (*it)->folders + 1;
            for (std::size_t k = 0; k < kFileKindCount; ++k) parent->kinds[k] += (*it)->kinds[k];
        }
        tree_.files_ = tree_.root_->files;
        return std::move(tree_);
    }

private:
    FolderTree tree_;
};

}  // namespace brimlet::testing
