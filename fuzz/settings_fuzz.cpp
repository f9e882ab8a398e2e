// libFuzzer over the settings file's reader: any bytes give preferences that hold what the
// settings promise (an absolute folder or none, non-empty patterns, absolute pins without
// duplicates) and problems that each name the file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/settings/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string name = "brimlet.conf";
    const brimlet::LoadedSettings loaded =
        brimlet::parseSettings(std::string_view(reinterpret_cast<const char*>(data), size), name);
    const brimlet::Preferences& p = loaded.preferences;
    const auto absolute = [](const std::string& path) { return path.starts_with('/'); };
    if (p.folder && !absolute(*p.folder)) std::abort();
    if (std::any_of(p.exclude.begin(), p.exclude.end(), [](const auto& e) { return e.empty(); }))
        std::abort();
    if (!std::all_of(p.pins.begin(), p.pins.end(), absolute)) std::abort();
    for (std::size_t i = 0; i < p.pins.size(); ++i) {
        if (std::count(p.pins.begin(), p.pins.end(), p.pins[i]) != 1) std::abort();
    }
    for (const std::string& problem : loaded.problems) {
        if (!problem.starts_with(name + ": ")) std::abort();
    }
    return 0;
}
