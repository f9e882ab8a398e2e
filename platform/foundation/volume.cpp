#include "platform/foundation/volume.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "platform/foundation/file.h"
#include "platform/foundation/testing.h"

namespace foundation {
namespace {

bool isPrefixAtBoundary(std::string_view mount, std::string_view path) {
    if (mount == "/") return !path.empty() && path.front() == '/';
    if (path.size() < mount.size() || path.compare(0, mount.size(), mount) != 0) return false;
    return path.size() == mount.size() || path[mount.size()] == '/';
}

// /proc/self/mountinfo writes space, tab, newline and backslash in paths as \ooo octal escapes.
std::string unescapeMount(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() + 0 && field.size() - i >= 4 &&
            field[i + 1] >= '0' && field[i + 1] <= '3' && field[i + 2] >= '0' &&
            field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

// A whole field of decimal digits; no sign, no trailing characters.
bool parseUnsigned(std::string_view text, unsigned& value) {
    const auto* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, value);
    return !text.empty() && r.ec == std::errc() && r.ptr == end;
}

// The label of the block device `device`, from the symlinks in /dev/disk/by-label.
std::optional<std::string> labelOf(std::uint64_t device) {
    DIR* dir = opendir("/dev/disk/by-label");
    if (dir == nullptr) return std::nullopt;
    std::optional<std::string> label;
    while (const dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        struct stat st {};
        const std::string link = std::string("/dev/disk/by-label/") + e->d_name;
        if (stat(link.c_str(), &st) == 0 && S_ISBLK(st.st_mode) && st.st_rdev == device) {
            // udev escapes unsafe bytes as \xHH in link names (a space is \x20).
            std::string name;
            for (const char* c = e->d_name; *c != '\0'; ++c) {
                if (c[0] == '\\' && c[1] == 'x' &&
                    std::isxdigit(static_cast<unsigned char>(c[2])) &&
                    std::isxdigit(static_cast<unsigned char>(c[3]))) {
                    name += static_cast<char>(std::stoi(std::string(c + 2, 2), nullptr, 16));
                    c += 3;
                } else {
                    name += *c;
                }
            }
            label = std::move(name);
            break;
        }
    }
    closedir(dir);
    return label;
}

std::optional<std::string> nameOfVolume(const std::string& path, std::uint64_t device) {
    if (auto label = labelOf(device)) return label;
    const auto text = readWholeFile("/proc/self/mountinfo", std::size_t{4} * 1024 * 1024);
    if (!text) return std::nullopt;
    const auto mount = mountPointFor(path, device, parseMountInfo(*text));
    if (!mount || *mount == "/") return std::nullopt;
    return mount->substr(mount->rfind('/') + 1);
}

std::optional<VolumeFigures> queryLive(const std::string& path) {
    struct statvfs vfs {};
    struct stat st {};
    if (statvfs(path.c_str(), &vfs) != 0 || stat(path.c_str(), &st) != 0) return std::nullopt;
    VolumeFigures figures =
        capacityFromBlocks({vfs.f_blocks, vfs.f_bfree, vfs.f_bavail, vfs.f_frsize});
    // statvfs and stat follow symbolic links; the mount lookup must see the same place.
    figures.volumeName = nameOfVolume(canonicalPath(path).value_or(path), st.st_dev);
    return figures;
}

}  // namespace

std::optional<VolumeFigures> volumeFigures(const std::string& path) {
    if (const auto* query = testing::detail::volumeQueryOverride()) return (*query)(path);
    return queryLive(path);
}

std::int64_t saturatingProduct(std::uint64_t a, std::uint64_t b) {
    std::uint64_t product = 0;
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (__builtin_mul_overflow(a, b, &product) || product > kMax) {
        return std::numeric_limits<std::int64_t>::max();
    }
    return static_cast<std::int64_t>(product);
}

VolumeFigures capacityFromBlocks(const BlockCounts& counts) {
    const std::uint64_t used =
        counts.blocks > counts.freeBlocks ? counts.blocks - counts.freeBlocks : 0;
    std::uint64_t usable = 0;
    if (__builtin_add_overflow(used, counts.availableBlocks, &usable)) {
        usable = std::numeric_limits<std::uint64_t>::max();
    }
    VolumeFigures figures;
    figures.totalCapacity = saturatingProduct(usable, counts.fragmentSize);
    figures.availableCapacity = saturatingProduct(counts.availableBlocks, counts.fragmentSize);
    return figures;
}

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    std::vector<MountEntry> entries;
    while (!text.empty()) {
        const auto eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
        // Fields: id parent major:minor root mount-point ...
        std::string_view fields[5];
        bool complete = true;
        for (auto& field : fields) {
            const auto sp = line.find(' ');
            if (sp == std::string_view::npos) {
                field = line;
                line = {};
                complete = &field == &fields[4] && !field.empty();
                break;
            }
            field = line.substr(0, sp);
            line = line.substr(sp + 1);
        }
        if (!complete) continue;
        const auto colon = fields[2].find(':');
        if (colon == std::string_view::npos) continue;
        unsigned major = 0, minor = 0;
        if (!parseUnsigned(fields[2].substr(0, colon), major) ||
            !parseUnsigned(fields[2].substr(colon + 1), minor)) {
            continue;
        }
        entries.push_back({makedev(major, minor), unescapeMount(fields[4])});
    }
    return entries;
}

std::optional<std::string> mountPointFor(std::string_view path, std::uint64_t device,
                                         const std::vector<MountEntry>& entries) {
    const MountEntry* best = nullptr;
    const MountEntry* bestOnDevice = nullptr;
    for (const auto& e : entries) {
        if (!isPrefixAtBoundary(e.mountPoint, path)) continue;
        // Later lines win ties: a later mount over the same point hides the earlier one.
        if (best == nullptr || e.mountPoint.size() >= best->mountPoint.size()) best = &e;
        if (e.device == device &&
            (bestOnDevice == nullptr || e.mountPoint.size() >= bestOnDevice->mountPoint.size())) {
            bestOnDevice = &e;
        }
    }
    if (bestOnDevice != nullptr) return bestOnDevice->mountPoint;
    if (best != nullptr) return best->mountPoint;
    return std::nullopt;
}

}  // namespace foundation
