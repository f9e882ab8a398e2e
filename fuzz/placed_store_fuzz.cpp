// libFuzzer target over the placed-widget store's loading: the input is the whole store file.
// Beyond "never crash, never leak, no undefined behaviour", and "a file that cannot be understood
// fails with CommandError and nothing else", it checks the store's promises on every file that
// loads: what loads saves, and loads back to the very same widgets; and a new id is one that no
// stored widget holds.
//
// The store reads a path, so each input is written to a file in a folder of this process's own,
// on /dev/shm where there is one (the save syncs its folder, which costs nothing on tmpfs).
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/foundation/command.h"
#include "platform/widgetkit/host/placed_store.h"

namespace {

using foundation::CommandError;
using widgetkit::host::PlacedStore;
using widgetkit::host::PlacedWidget;
using widgetkit::host::PlacedWidgets;

// A folder of this process's own, removed when the process ends normally.
class Scratch {
public:
    Scratch() {
        const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/placed-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        folder_ = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    std::string path(const char* name) const { return folder_ + "/" + name; }

private:
    std::string folder_;
};

void writeInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) std::abort();
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) std::abort();
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

bool same(const PlacedWidget& a, const PlacedWidget& b) {
    return a.id == b.id && a.kind == b.kind && a.family == b.family && a.area == b.area;
}

bool same(const PlacedWidgets& a, const PlacedWidgets& b) {
    if (a.nextId != b.nextId || a.widgets.size() != b.widgets.size()) return false;
    for (std::size_t i = 0; i < a.widgets.size(); ++i) {
        if (!same(a.widgets[i], b.widgets[i])) return false;
    }
    return true;
}

// A new id is held by no stored widget.
void checkNewId(PlacedWidgets placed) {
    try {
        if (placed.find(placed.newId()) != nullptr) std::abort();
    } catch (const CommandError&) {
        // No ids left: the store says so instead of handing out one twice.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Scratch scratch;
    static const std::string input = scratch.path("placed.json");
    static const std::string saved = scratch.path("saved.json");
    writeInput(input, data, size);
    PlacedWidgets placed;
    try {
        placed = PlacedStore(input).load();
    } catch (const CommandError&) {
        return 0;  // not understood: refused with the path and the problem
    }
    PlacedStore(saved).save(placed);  // what loads always saves
    if (!same(PlacedStore(saved).load(), placed)) std::abort();
    checkNewId(std::move(placed));
    return 0;
}
