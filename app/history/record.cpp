#include "app/history/record.h"

#include <algorithm>

namespace brimlet {
namespace {

struct Candidate {
    const Folder* folder;
    std::string path;
    int depth;
};

// True when `size` holds at least 1/kRecordFolderShare of `rootSize`, without overflow.
bool largeEnough(std::int64_t size, std::int64_t rootSize) {
    if (rootSize <= 0) return true;
    return size >= rootSize / kRecordFolderShare + (rootSize % kRecordFolderShare != 0 ? 1 : 0);
}

// Every folder large enough, parents before children. A folder smaller than the share has no
// folder inside it that is larger, so its subtree is not visited.
std::vector<Candidate> candidates(const Folder& root) {
    std::vector<Candidate> found;
    found.push_back({&root, std::string(), 0});
    for (std::size_t next = 0; next < found.size(); ++next) {
        for (const Folder* child : found[next].folder->children) {
            if (child->excluded || !largeEnough(child->size, root.size)) continue;
            const Candidate& parent = found[next];
            std::string path = parent.path.empty() ? child->name : parent.path + '/' + child->name;
            found.push_back({child, std::move(path), parent.depth + 1});
        }
    }
    return found;
}

}  // namespace

HistoryRecord buildRecord(const FolderTree& tree, std::int64_t used, std::int64_t total,
                          foundation::Date time, std::size_t folderLimit) {
    HistoryRecord record;
    record.summary.root = tree.rootPath();
    record.summary.time = time;
    record.summary.used = used;
    record.summary.total = total;
    record.summary.files = tree.files();
    record.summary.folders = tree.folders();

    std::vector<Candidate> found = candidates(tree.root());
    const auto order = [](const Candidate& a, const Candidate& b) {
        if (a.folder->size != b.folder->size) return a.folder->size > b.folder->size;
        if (a.depth != b.depth) return a.depth < b.depth;
        return a.path < b.path;
    };
    if (found.size() > folderLimit) {
        std::nth_element(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(folderLimit),
                         found.end(), order);
        found.resize(folderLimit);
    }
    std::sort(found.begin(), found.end(), order);
    record.folders.reserve(found.size());
    for (Candidate& candidate : found) {
        record.folders.push_back(
            {std::move(candidate.path), candidate.folder->size, candidate.folder->kinds});
    }
    return record;
}

}  // namespace brimlet
