#pragma once
// A captioned block of at most five proportional bar rows.

#include <cstdint>
#include <string>
#include <vector>

#include "extension/shared/disk_snapshot.h"
#include "platform/ui/ui.h"

namespace brimlet {

// One row: the name (96 pt, truncated in the middle), a bar filled to `fraction` of its width
// (never narrower than 4 pt), and the size (56 pt, flush right).
struct BarRow {
    std::string name;
    std::int64_t size;  // bytes
    double fraction;    // the filled share of the bar, normally 0...1

    ui::View body() const;
};

// The fill's width for a bar `available` points wide: available × fraction, but at least 4 pt,
// also when the product is not a number.
double barFillWidth(double available, double fraction);

// The caption in capitals, then a BarRow for each of the first five items. All bars share one
// scale: the largest size among all items (not only the five shown), but at least 1.
struct BreakdownList {
    std::string title;  // ordinary case; shown upper-cased, locale-independent
    std::vector<DiskSnapshot::Item> items;

    // The rows the list shows, with their fractions.
    std::vector<BarRow> rows() const;

    ui::View body() const;
};

}  // namespace brimlet
