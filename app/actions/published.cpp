#include "app/actions/published.h"

#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <memory>

#include "app/scan/scan.h"
#include "app/scan/snapshot_file.h"
#include "extension/shared/identifiers.h"
#include "platform/foundation/container.h"
#include "platform/foundation/file.h"
#include "platform/foundation/json_writer.h"
#include "platform/foundation/unicode.h"

namespace brimlet {
namespace {

constexpr const char* kGroup = "Snapshot";
constexpr std::string_view kRecordName = "snapshot-root.conf";

std::optional<std::string> containerFile(std::string_view name) {
    auto container = foundation::groupContainerPath(kAppGroupIdentifier);
    if (!container) return std::nullopt;
    while (container->size() > 1 && container->back() == '/') container->pop_back();
    return *container + "/" + std::string(name);
}

using KeyFile = std::unique_ptr<GKeyFile, decltype(&g_key_file_unref)>;

// Whether `relative` names a path below a folder: not absolute, no empty, "." or ".." part.
bool isPathInside(std::string_view relative) {
    if (relative.empty() || relative.front() == '/') return false;
    std::size_t start = 0;
    while (start <= relative.size()) {
        const std::size_t end = std::min(relative.find('/', start), relative.size());
        const std::string_view part = relative.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        start = end + 1;
    }
    return true;
}

std::optional<std::string> stringOf(GKeyFile* file, const char* key) {
    std::unique_ptr<gchar, decltype(&g_free)> value(
        g_key_file_get_string(file, kGroup, key, nullptr), &g_free);
    if (!value) return std::nullopt;
    return std::string(value.get());
}

}  // namespace

void recordSnapshotRoot(const std::string& root, std::size_t top, foundation::Date generatedAt) {
    const auto path = containerFile(kRecordName);
    if (!path)
        throw ScanError("no shared container: neither XDG_DATA_HOME nor a home folder is set");
    if (!foundation::isValidUtf8(root)) {
        ::unlink(path->c_str());
        return;
    }
    const KeyFile file(g_key_file_new(), &g_key_file_unref);
    g_key_file_set_string(file.get(), kGroup, "Root", root.c_str());
    g_key_file_set_uint64(file.get(), kGroup, "Top", top);
    char instant[64];
    const auto end =
        std::to_chars(instant, instant + sizeof instant - 1, generatedAt.secondsSinceReferenceDate)
            .ptr;
    *end = '\0';
    g_key_file_set_string(file.get(), kGroup, "GeneratedAt", instant);
    gsize length = 0;
    std::unique_ptr<gchar, decltype(&g_free)> data(g_key_file_to_data(file.get(), &length, nullptr),
                                                   &g_free);
    if (const auto status =
            foundation::writeFileAtomically(*path, std::string_view(data.get(), length), 0600);
        !status) {
        throw ScanError(status.message());
    }
}

void publishSnapshot(const DiskSnapshot& snapshot, const std::string& root, std::size_t top) {
    const SnapshotTarget target = prepareSnapshotTarget(std::nullopt);
    auto document = snapshot.encode(2);
    if (!document) throw ScanError("the snapshot has a value JSON cannot hold");
    *document += '\n';
    writeSnapshot(target, *document, STDOUT_FILENO);
    recordSnapshotRoot(root, top, snapshot.generatedAt);
}

std::optional<PublishedSnapshot> readPublishedSnapshot() {
    const auto snapshotPath = containerFile(kSnapshotFileName);
    const auto recordPath = containerFile(kRecordName);
    if (!snapshotPath || !recordPath) return std::nullopt;
    const auto record = foundation::readWholeFile(*recordPath);
    const auto document = foundation::readWholeFile(*snapshotPath);
    if (!record || !document) return std::nullopt;
    auto snapshot = DiskSnapshot::decode(*document);
    const KeyFile file(g_key_file_new(), &g_key_file_unref);
    if (!snapshot || !g_key_file_load_from_data(file.get(), record->data(), record->size(),
                                                G_KEY_FILE_NONE, nullptr)) {
        return std::nullopt;
    }
    const auto root = stringOf(file.get(), "Root");
    const auto instant = stringOf(file.get(), "GeneratedAt");
    GError* error = nullptr;
    const guint64 top = g_key_file_get_uint64(file.get(), kGroup, "Top", &error);
    const bool topRead = error == nullptr;
    if (!topRead) g_error_free(error);
    double seconds = 0;
    if (!root || root->empty() || root->front() != '/' || !instant || !topRead || top < 1)
        return std::nullopt;
    const auto parsed =
        std::from_chars(instant->data(), instant->data() + instant->size(), seconds);
    if (parsed.ec != std::errc() || seconds != snapshot->generatedAt.secondsSinceReferenceDate)
        return std::nullopt;
    return PublishedSnapshot{std::move(*snapshot), *root, static_cast<std::size_t>(top)};
}

std::optional<std::string> areaFolder(std::string_view area) {
    auto published = readPublishedSnapshot();
    if (!published) return std::nullopt;
    const std::string& root = published->root;
    if (area.empty() || !published->snapshot.areas) return root;
    for (const DiskSnapshot::Area& candidate : *published->snapshot.areas) {
        if (!foundation::canonicallyEquivalent(candidate.name, area)) continue;
        if (!isPathInside(candidate.name)) return root;
        std::string folder = root == "/" ? "/" + candidate.name : root + "/" + candidate.name;
        struct stat st {};
        return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? folder : root;
    }
    return root;
}

}  // namespace brimlet
