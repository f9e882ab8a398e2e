#pragma once
// Numbers as the window writes them.

#include <cstdint>
#include <string>

namespace brimlet::gui {

// "1,234,567": digits in groups of three, whatever the locale.
std::string groupDigits(std::int64_t value);
// "0:07", "12:34", "1:02:03".
std::string elapsed(double seconds);
// "48%", "<1%" for a share above 0 that rounds to 0, "0%" for none.
std::string percent(double share);

}  // namespace brimlet::gui
