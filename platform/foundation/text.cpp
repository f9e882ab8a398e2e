#include "platform/foundation/text.h"

#include <array>
#include <charconv>
#include <cmath>

namespace foundation {
namespace {

bool appendNonFinite(std::string& out, double value) {
    if (std::isnan(value)) {
        out += "nan";
        return true;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "-inf" : "inf";
        return true;
    }
    return false;
}

}  // namespace

void appendInteger(std::string& out, std::int64_t value) {
    std::array<char, 24> buf{};
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    out.append(buf.data(), r.ptr);
}

void appendPadded(std::string& out, std::int64_t value, int width) {
    if (value < 0) {
        out += '-';
        // The magnitude of INT64_MIN does not fit; dates never come near it.
        value = value == INT64_MIN ? INT64_MAX : -value;
    }
    std::array<char, 24> buf{};
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    for (auto n = r.ptr - buf.data(); n < width; ++n) out += '0';
    out.append(buf.data(), r.ptr);
}

void appendFixed(std::string& out, double value, int decimals) {
    if (appendNonFinite(out, value)) return;
    // std::to_chars with fixed precision rounds the exact binary value, ties to even, exactly as
    // printf does, and never consults the locale. 8388608.0 TB and the like need < 32 digits.
    std::array<char, 400> buf{};
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                                 std::chars_format::fixed, decimals);
    out.append(buf.data(), r.ptr);
}

void appendShortest(std::string& out, double value) {
    if (appendNonFinite(out, value)) return;
    std::array<char, 32> buf{};
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    out.append(buf.data(), r.ptr);
}

}  // namespace foundation
