#pragma once
// Numbers and names as the window writes them.

#include <cstdint>
#include <optional>
#include <string>

#include "app/explore/explorer.h"

namespace brimlet::gui {

// "1,234,567": digits in groups of three, whatever the locale.
std::string groupDigits(std::int64_t value);
// "0:07", "12:34", "1:02:03".
std::string elapsed(double seconds);
// "48%", "<1%" for a share above 0 that rounds to 0, "0%" for none.
std::string percent(double share);

// The bytes counted so far by a running scan: "1.2 GB of about 41 GB" while an estimate of the
// whole (> 0) is known and not yet passed, else "1.2 GB" alone.
std::string scannedBytes(std::int64_t bytes, std::optional<std::int64_t> expectedBytes);

// A row's name as the window draws it: a folder's name from its raw bytes through
// foundation::drawnName (so bytes that are not UTF-8 read as the desk draws them, one U+FFFD per
// ill-formed sequence), the files row's name in the user's language.
std::string shownName(const ExplorerRow& row);

}  // namespace brimlet::gui
