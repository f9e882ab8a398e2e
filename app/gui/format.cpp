#include "app/gui/format.h"

#include <charconv>
#include <cmath>

#include "extension/shared/human_bytes.h"
#include "platform/foundation/drawn_name.h"
#include "platform/foundation/localization.h"

namespace brimlet::gui {

std::string groupDigits(std::int64_t value) {
    char digits[24];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    const std::string plain(digits, ec == std::errc() ? end : digits);
    const std::size_t sign = plain.starts_with('-') ? 1 : 0;
    std::string out = plain.substr(0, sign);
    for (std::size_t i = sign; i < plain.size(); ++i) {
        if (i > sign && (plain.size() - i) % 3 == 0) out += ',';
        out += plain[i];
    }
    return out;
}

std::string elapsed(double seconds) {
    const long total = std::isfinite(seconds) && seconds > 0 ? std::lround(std::floor(seconds)) : 0;
    const long h = total / 3600, m = total / 60 % 60, s = total % 60;
    const auto two = [](long v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    return h > 0 ? std::to_string(h) + ":" + two(m) + ":" + two(s)
                 : std::to_string(m) + ":" + two(s);
}

std::string percent(double share) {
    if (!std::isfinite(share) || share <= 0) return "0%";
    const long rounded = std::lround(share * 100);
    return rounded == 0 ? "<1%" : std::to_string(rounded) + "%";
}

std::string scannedBytes(std::int64_t bytes, std::optional<std::int64_t> expectedBytes) {
    if (!expectedBytes || *expectedBytes <= 0 || bytes > *expectedBytes) return humanBytes(bytes);
    return foundation::formatLocalized(foundation::localizedFormat("%@ of about %@"),
                                       {humanBytes(bytes), humanBytes(*expectedBytes)});
}

std::string shownName(const ExplorerRow& row) {
    // The explorer's own name of the files row is the catalog's key.
    static_assert(kFilesRowName == "Files in this folder");
    if (row.folder == nullptr) return foundation::localizedFormat("Files in this folder");
    return foundation::drawnName(row.folder->name);
}

}  // namespace brimlet::gui
