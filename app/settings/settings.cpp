#include "app/settings/settings.h"

#include <fcntl.h>
#include <glib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>

#include "platform/foundation/file.h"
#include "platform/foundation/home.h"
#include "platform/foundation/json_writer.h"

namespace brimlet {
namespace {

constexpr const char* kScanGroup = "Scan";
constexpr const char* kPinsGroup = "Pins";
constexpr const char* kFolderKey = "Folder";
constexpr const char* kExcludeKey = "Exclude";
constexpr const char* kExcludeCachesKey = "ExcludeCaches";
constexpr const char* kPinnedKey = "Folders";
// Settings hold a few paths and patterns; a file beyond this is not one of ours.
constexpr std::size_t kMaxSettingsBytes = std::size_t{1} << 20;

using KeyFile = std::unique_ptr<GKeyFile, decltype(&g_key_file_unref)>;

struct GErrorHolder {
    GError* error = nullptr;
    ~GErrorHolder() {
        if (error != nullptr) g_error_free(error);
    }
    std::string message() const { return error != nullptr ? error->message : "unknown error"; }
};

struct GStrv {
    gchar** strings = nullptr;
    ~GStrv() { g_strfreev(strings); }
};

bool isAbsolute(std::string_view path) { return !path.empty() && path.front() == '/'; }

KeyFile newKeyFile() { return KeyFile(g_key_file_new(), &g_key_file_unref); }

// The key file at `path`: an empty one when there is no file, nullptr with `failure` set when
// the file cannot be read or is not a key file.
KeyFile readKeyFile(const std::string& path, std::string& failure) {
    KeyFile file = newKeyFile();
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return file;
        failure = path + ": " + std::strerror(errno);
        return KeyFile(nullptr, &g_key_file_unref);
    }
    const auto bytes = foundation::readWholeFile(path, kMaxSettingsBytes);
    if (!bytes) {
        failure = path + ": cannot be read (not a regular file of at most 1 MiB)";
        return KeyFile(nullptr, &g_key_file_unref);
    }
    GErrorHolder error;
    const auto flags =
        static_cast<GKeyFileFlags>(G_KEY_FILE_KEEP_COMMENTS | G_KEY_FILE_KEEP_TRANSLATIONS);
    if (!g_key_file_load_from_data(file.get(), bytes->data(), bytes->size(), flags, &error.error)) {
        failure = path + ": not a key file (" + error.message() + ")";
        return KeyFile(nullptr, &g_key_file_unref);
    }
    return file;
}

class Reader {
public:
    Reader(GKeyFile* file, const std::string& path, std::vector<std::string>& problems)
        : file_(file), path_(path), problems_(problems) {}

    void flagUnknown() const {
        GStrv groups{g_key_file_get_groups(file_, nullptr)};
        for (gchar** g = groups.strings; g != nullptr && *g != nullptr; ++g) {
            const std::string_view group = *g;
            if (group != kScanGroup && group != kPinsGroup) {
                problems_.push_back(path_ + ": unknown group [" + std::string(group) +
                                    "], ignored");
                continue;
            }
            GStrv keys{g_key_file_get_keys(file_, *g, nullptr, nullptr)};
            for (gchar** k = keys.strings; k != nullptr && *k != nullptr; ++k) {
                const std::string_view key = *k;
                const bool known = group == kScanGroup ? key == kFolderKey || key == kExcludeKey ||
                                                             key == kExcludeCachesKey
                                                       : key == kPinnedKey;
                if (!known) problem(*g, *k, "unknown key", "ignored");
            }
        }
    }

    std::optional<std::string> folder() const {
        if (!g_key_file_has_key(file_, kScanGroup, kFolderKey, nullptr)) return std::nullopt;
        GErrorHolder error;
        std::unique_ptr<gchar, decltype(&g_free)> value(
            g_key_file_get_string(file_, kScanGroup, kFolderKey, &error.error), &g_free);
        if (!value) {
            problem(kScanGroup, kFolderKey, error.message(), "using the home folder");
        } else if (!isAbsolute(value.get())) {
            problem(kScanGroup, kFolderKey, "not an absolute path", "using the home folder");
        } else {
            return std::string(value.get());
        }
        return std::nullopt;
    }

    // A string list whose every element `valid` accepts; empty, with a problem, otherwise.
    std::vector<std::string> list(const char* group, const char* key, const char* wrong,
                                  const char* fallback, bool (*valid)(std::string_view)) const {
        if (!g_key_file_has_key(file_, group, key, nullptr)) return {};
        GErrorHolder error;
        GStrv values{g_key_file_get_string_list(file_, group, key, nullptr, &error.error)};
        if (values.strings == nullptr) {
            problem(group, key, error.message(), fallback);
            return {};
        }
        std::vector<std::string> out;
        for (gchar** v = values.strings; *v != nullptr; ++v) {
            if (!valid(*v)) {
                problem(group, key, std::string(wrong) + " (\"" + *v + "\")", fallback);
                return {};
            }
            if (std::find(out.begin(), out.end(), *v) == out.end()) out.emplace_back(*v);
        }
        return out;
    }

    bool excludeCaches() const {
        if (!g_key_file_has_key(file_, kScanGroup, kExcludeCachesKey, nullptr)) return false;
        GErrorHolder error;
        const gboolean value =
            g_key_file_get_boolean(file_, kScanGroup, kExcludeCachesKey, &error.error);
        if (error.error != nullptr) {
            problem(kScanGroup, kExcludeCachesKey, "not true or false", "using false");
            return false;
        }
        return value != FALSE;
    }

private:
    void problem(std::string_view group, std::string_view key, const std::string& what,
                 std::string_view instead) const {
        problems_.push_back(path_ + ": [" + std::string(group) + "] " + std::string(key) + ": " +
                            what + "; " + std::string(instead));
    }

    GKeyFile* file_;
    const std::string& path_;
    std::vector<std::string>& problems_;
};

Preferences readPreferences(GKeyFile* file, const std::string& path,
                            std::vector<std::string>& problems) {
    const Reader reader(file, path, problems);
    reader.flagUnknown();
    Preferences preferences;
    preferences.folder = reader.folder();
    preferences.exclude =
        reader.list(kScanGroup, kExcludeKey, "holds an empty pattern", "using no patterns",
                    [](std::string_view pattern) { return !pattern.empty(); });
    preferences.excludeCaches = reader.excludeCaches();
    preferences.pins = reader.list(kPinsGroup, kPinnedKey, "holds a path that is not absolute",
                                   "using no pinned folders", &isAbsolute);
    return preferences;
}

// GLib's key-file code is safe on any thread, but the locks inside it (lazy set-up, the slice
// allocator) are invisible to ThreadSanitizer. The settings do their GLib work under this one
// mutex, so the order GLib keeps is one the tools see too; settings are read and changed rarely,
// so nothing waits on it in practice. Taken before the file lock, never after.
std::mutex& glibMutex() {
    static std::mutex mutex;
    return mutex;
}

void requireUtf8(const std::string& value, const char* key) {
    if (!foundation::isValidUtf8(value)) {
        throw SettingsError(std::string(key) + ": \"" + value +
                            "\" is not UTF-8, which the settings file cannot hold");
    }
}

void setList(GKeyFile* file, const char* group, const char* key,
             const std::vector<std::string>& values) {
    std::vector<const gchar*> pointers;
    for (const std::string& v : values) {
        requireUtf8(v, key);
        pointers.push_back(v.c_str());
    }
    pointers.push_back(nullptr);
    g_key_file_set_string_list(file, group, key, pointers.data(), values.size());
}

// Sets in `file` the keys whose value differs between `before` and `after`; false when none do.
bool storeChanges(GKeyFile* file, const Preferences& before, const Preferences& after) {
    bool changed = false;
    if (before.folder != after.folder) {
        changed = true;
        if (after.folder) {
            requireUtf8(*after.folder, kFolderKey);
            g_key_file_set_string(file, kScanGroup, kFolderKey, after.folder->c_str());
        } else {
            g_key_file_remove_key(file, kScanGroup, kFolderKey, nullptr);
        }
    }
    if (before.exclude != after.exclude) {
        changed = true;
        setList(file, kScanGroup, kExcludeKey, after.exclude);
    }
    if (before.excludeCaches != after.excludeCaches) {
        changed = true;
        g_key_file_set_boolean(file, kScanGroup, kExcludeCachesKey, after.excludeCaches);
    }
    if (before.pins != after.pins) {
        changed = true;
        setList(file, kPinsGroup, kPinnedKey, after.pins);
    }
    return changed;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// The file a write replaces: a symbolic link (as dotfile managers make) is kept and its target
// replaced.
std::string writeTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    return foundation::canonicalPath(path).value_or(path);
}

// Holds the exclusive lock of the settings at `path` for its lifetime. The lock file is never
// followed through a symbolic link.
class SettingsLock {
public:
    explicit SettingsLock(const std::string& path) {
        const std::string lockPath = path + ".lock";
        fd_ = foundation::FileDescriptor(
            ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0600));
        if (fd_.get() < 0) throw SettingsError(lockPath + ": " + std::strerror(errno));
        int locked = 0;
        while ((locked = ::flock(fd_.get(), LOCK_EX)) != 0 && errno == EINTR) {
        }
        if (locked != 0) throw SettingsError(lockPath + ": " + std::strerror(errno));
    }

private:
    foundation::FileDescriptor fd_;
};

}  // namespace

std::optional<std::string> settingsPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (config != nullptr && isAbsolute(config)) {
        base = config;
    } else {
        auto home = foundation::homeDirectory();
        if (!home) return std::nullopt;
        base = *home + "/.config";
    }
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return base + "/brimlet/brimlet.conf";
}

LoadedSettings parseSettings(std::string_view text, const std::string& name) {
    const std::lock_guard glib(glibMutex());
    LoadedSettings loaded;
    const KeyFile file = newKeyFile();
    GErrorHolder error;
    if (!g_key_file_load_from_data(file.get(), text.data(), text.size(), G_KEY_FILE_NONE,
                                   &error.error)) {
        loaded.problems.push_back(name + ": not a key file (" + error.message() +
                                  "); using the defaults");
        loaded.changeable = false;
        return loaded;
    }
    loaded.preferences = readPreferences(file.get(), name, loaded.problems);
    return loaded;
}

LoadedSettings loadSettings(const std::string& path) {
    const std::lock_guard glib(glibMutex());
    LoadedSettings loaded;
    std::string failure;
    const KeyFile file = readKeyFile(path, failure);
    if (!file) {
        loaded.problems.push_back(failure + "; using the defaults");
        loaded.changeable = false;
        return loaded;
    }
    loaded.preferences = readPreferences(file.get(), path, loaded.problems);
    return loaded;
}

Preferences updateSettings(const std::string& path,
                           const std::function<void(Preferences&)>& change) {
    if (const auto status = foundation::createDirectories(folderOf(path), 0700); !status) {
        throw SettingsError(status.message());
    }
    const std::lock_guard glib(glibMutex());
    const SettingsLock lock(path);
    std::string failure;
    const KeyFile file = readKeyFile(path, failure);
    if (!file) throw SettingsError(failure + "; nothing changed: mend or remove it first");
    std::vector<std::string> ignored;
    const Preferences before = readPreferences(file.get(), path, ignored);
    Preferences after = before;
    change(after);
    if (!storeChanges(file.get(), before, after)) return after;
    gsize length = 0;
    std::unique_ptr<gchar, decltype(&g_free)> data(g_key_file_to_data(file.get(), &length, nullptr),
                                                   &g_free);
    const auto status = foundation::writeFileAtomically(writeTarget(path),
                                                        std::string_view(data.get(), length), 0600);
    if (!status) throw SettingsError(status.message());
    return after;
}

}  // namespace brimlet
