#include "extension/shared/human_bytes.h"

#include <array>
#include <string_view>

#include "platform/foundation/text.h"

namespace brimlet {

std::string humanBytes(std::int64_t bytes) {
    static constexpr std::array<std::string_view, 5> kUnits{"B", "KB", "MB", "GB", "TB"};
    std::string out;
    if (bytes < 1024) {
        foundation::appendInteger(out, bytes);
        out += " B";
        return out;
    }
    double value = static_cast<double>(bytes) / 1024.0;
    std::size_t unit = 1;
    while (value >= 1024.0 && unit < kUnits.size() - 1) {
        value *= 1.0 / 1024.0;  // an exact power-of-two scaling
        ++unit;
    }
    foundation::appendFixed(out, value, 1);
    out += ' ';
    out += kUnits[unit];
    return out;
}

}  // namespace brimlet
