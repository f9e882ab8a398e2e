#include "app/scan/scan.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <system_error>

#include "extension/shared/volume_reading.h"
#include "platform/foundation/home.h"
#include "platform/foundation/json_writer.h"

namespace brimlet {
namespace {

std::optional<std::string> canonicalPath(const std::string& path, int& error) {
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                         &std::free);
    if (!resolved) {
        error = errno;
        return std::nullopt;
    }
    return std::string(resolved.get());
}

std::string describe(int error) { return std::strerror(error); }

// The `top` biggest folders directly inside `folder`, biggest first, ties by name.
std::vector<const Folder*> biggestChildren(const Folder& folder, std::size_t top) {
    std::vector<const Folder*> children(folder.children.begin(), folder.children.end());
    const auto count = std::min(top, children.size());
    std::partial_sort(children.begin(), children.begin() + static_cast<std::ptrdiff_t>(count),
                      children.end(), [](const Folder* a, const Folder* b) {
                          if (a->size != b->size) return a->size > b->size;
                          return a->name < b->name;
                      });
    children.resize(count);
    return children;
}

std::vector<DiskSnapshot::Item> topFoldersOf(const Folder& folder, std::size_t top) {
    std::vector<DiskSnapshot::Item> items;
    for (const Folder* child : biggestChildren(folder, top)) {
        items.push_back(DiskSnapshot::Item{displayName(child->name), child->size});
    }
    return items;
}

std::vector<DiskSnapshot::Item> topKindsOf(const Folder& folder) {
    std::vector<DiskSnapshot::Item> items;
    for (const FileKind kind : kAllFileKinds) {
        const auto bytes = folder.kinds[static_cast<std::size_t>(kind)];
        if (bytes > 0) items.push_back(DiskSnapshot::Item{std::string(kindLabel(kind)), bytes});
    }
    std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
        if (a.size != b.size) return a.size > b.size;
        return a.name < b.name;
    });
    return items;
}

DiskSnapshot::Area areaOf(std::string name, const Folder* folder, std::size_t top) {
    if (folder == nullptr) return DiskSnapshot::Area{std::move(name), 0, {}, {}};
    return DiskSnapshot::Area{std::move(name), folder->size, topFoldersOf(*folder, top),
                              topKindsOf(*folder)};
}

}  // namespace

ScanPlan planScan(const ScanRequest& request) {
    std::string rootArgument;
    if (request.root) {
        rootArgument = *request.root;
        if (rootArgument.empty()) throw ScanError("the folder to scan is an empty path", 2);
    } else {
        auto home = foundation::homeDirectory();
        if (!home) throw ScanError("no home folder to scan: set HOME or name a folder");
        rootArgument = std::move(*home);
    }
    int error = 0;
    auto root = canonicalPath(rootArgument, error);
    if (!root) throw ScanError(rootArgument + ": " + describe(error));
    struct stat rootStat {};
    if (::stat(root->c_str(), &rootStat) != 0)
        throw ScanError(rootArgument + ": " + describe(errno));
    if (!S_ISDIR(rootStat.st_mode)) throw ScanError(rootArgument + ": not a folder");

    ScanPlan plan;
    plan.root = *root;
    plan.top = request.top;
    plan.threads = request.threads;
    plan.exclusions =
        planExclusions(request.exclude, request.excludeCaches, rootArgument, plan.root);
    const std::string prefix = plan.root == "/" ? "/" : plan.root + "/";
    for (const std::string& area : request.areas) {
        if (area.empty()) throw ScanError("--area: an empty path", 2);
        const std::string joined = area.front() == '/' ? area : prefix + area;
        auto resolved = canonicalPath(joined, error);
        if (!resolved) throw ScanError("area " + area + ": " + describe(error));
        struct stat st {};
        if (::stat(resolved->c_str(), &st) != 0)
            throw ScanError("area " + area + ": " + describe(errno));
        if (!S_ISDIR(st.st_mode)) throw ScanError("area " + area + ": not a folder");
        if (*resolved == plan.root)
            throw ScanError("area " + area + " is the scanned folder itself", 2);
        if (resolved->compare(0, prefix.size(), prefix) != 0) {
            throw ScanError("area " + area + " lies outside " + plan.root, 2);
        }
        if (st.st_dev != rootStat.st_dev) {
            throw ScanError("area " + area + " lies on another file system than " + plan.root, 2);
        }
        std::string relative = resolved->substr(prefix.size());
        if (std::find(plan.areas.begin(), plan.areas.end(), relative) == plan.areas.end()) {
            checkAreaNotExcluded(plan.exclusions, plan.root, relative);
            plan.areas.push_back(std::move(relative));
        }
    }
    return plan;
}

std::optional<VolumeTotals> volumeTotals(const std::optional<foundation::VolumeFigures>& figures) {
    const auto reading = readVolume(figures);
    if (!reading) return std::nullopt;
    return VolumeTotals{
        .volumeName = reading->volumeName ? displayName(*reading->volumeName) : std::string("Disk"),
        .used = reading->used,
        .free = reading->free,
        .total = reading->total,
        .usedFraction = reading->usedFraction,
    };
}

std::string displayName(std::string_view raw) {
    if (foundation::isValidUtf8(raw)) return std::string(raw);
    std::string out;
    out.reserve(raw.size() + 8);
    std::size_t i = 0;
    while (i < raw.size()) {
        // The longest valid sequence starting here is 1 to 4 bytes; try them from the lead byte.
        const auto lead = static_cast<unsigned char>(raw[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (i + length <= raw.size() && foundation::isValidUtf8(raw.substr(i, length))) {
            out.append(raw.substr(i, length));
            i += length;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

std::string rootNameOf(const std::string& canonicalRoot) {
    if (canonicalRoot == "/" || canonicalRoot.empty()) return "/";
    return displayName(canonicalRoot.substr(canonicalRoot.rfind('/') + 1));
}

DiskSnapshot buildSnapshot(const FolderTree& tree, const ScanPlan& plan, const VolumeTotals& volume,
                           foundation::Date generatedAt) {
    const Folder& root = tree.root();
    std::vector<DiskSnapshot::Area> areas;
    if (plan.areas.empty()) {
        for (const Folder* folder : biggestChildren(root, kDefaultAreaCount)) {
            areas.push_back(areaOf(displayName(folder->name), folder, plan.top));
        }
    } else {
        for (const std::string& relative : plan.areas) {
            areas.push_back(areaOf(displayName(relative), tree.find(relative), plan.top));
        }
    }
    return DiskSnapshot{
        generatedAt,      volume.volumeName,     volume.usedFraction,          volume.used,
        volume.free,      volume.total,          topFoldersOf(root, plan.top), topKindsOf(root),
        std::move(areas), rootNameOf(plan.root),
    };
}

ScanResult runScan(const ScanPlan& plan, WalkProgress* progress, const std::atomic<bool>* cancel) {
    const auto volume = volumeTotals(foundation::volumeFigures(plan.root));
    if (!volume) throw ScanError(plan.root + ": the volume's capacity cannot be read");
    FolderTree tree;
    try {
        tree = walkTree(plan.root,
                        WalkOptions{plan.threads, plan.exclusions, plan.environment, cancel},
                        progress);
    } catch (const std::system_error& e) {
        throw ScanError(plan.root + ": " + describe(e.code().value()));
    }
    auto snapshot = buildSnapshot(tree, plan, *volume, foundation::Date::now());
    return ScanResult{std::move(snapshot), std::move(tree)};
}

}  // namespace brimlet
