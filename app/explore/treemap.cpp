#include "app/explore/treemap.h"

#include <algorithm>
#include <numeric>

namespace brimlet {
namespace {

// The worst aspect ratio (>= 1) of a row of blocks whose areas sum to `sum`, the largest being
// `largest` and the smallest `smallest`, laid along a side of length `side`.
double worstRatio(double sum, double largest, double smallest, double side) {
    const double side2 = side * side;
    const double sum2 = sum * sum;
    return std::max(side2 * largest / sum2, sum2 / (side2 * smallest));
}

// The space not yet laid out: its far edges stay those of the bounds.
struct FreeSpace {
    double x, y, right, bottom;
    double width() const { return right - x; }
    double height() const { return bottom - y; }
};

// Lays `row` (whose areas are `areas`, summing to `rowArea`) as one strip along the shorter side
// of `free`, and takes the strip off `free`, leaving room for `areaAfter`. The space left is
// worked out from the area still to lay rather than by subtracting strips, so rounding never
// piles up into a gap or an overlap, and a block's extent is its share of the strip's length, so
// the last one ends exactly at the strip's end.
void layRow(std::span<TreemapBlock> row, std::span<const double> areas, double rowArea,
            double areaAfter, FreeSpace& free) {
    const bool vertical = free.width() >= free.height();  // a column at the left, else a row on top
    const double length = vertical ? free.height() : free.width();
    const double breadth = vertical ? free.width() : free.height();
    const double breadthAfter = std::clamp(areaAfter / length, 0.0, breadth);
    const double start = vertical ? free.y : free.x;
    double laid = 0;
    double at = start;
    for (std::size_t i = 0; i < row.size(); ++i) {
        laid += areas[i];
        const double next = i + 1 == row.size() ? start + length : start + length * laid / rowArea;
        row[i].rect = vertical ? TreemapRect{free.x, at, breadth - breadthAfter, next - at}
                               : TreemapRect{at, free.y, next - at, breadth - breadthAfter};
        at = next;
    }
    if (vertical) {
        free.x = free.right - breadthAfter;
    } else {
        free.y = free.bottom - breadthAfter;
    }
}

}  // namespace

std::vector<TreemapBlock> squarify(std::span<const std::int64_t> sizes, TreemapRect bounds) {
    std::vector<TreemapBlock> blocks;
    if (!(bounds.width > 0 && bounds.height > 0)) return blocks;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        if (sizes[i] > 0) blocks.push_back(TreemapBlock{i, {}});
    }
    if (blocks.empty()) return blocks;
    std::stable_sort(blocks.begin(), blocks.end(),
                     [&](const auto& a, const auto& b) { return sizes[a.index] > sizes[b.index]; });
    // Sizes may sum past what an int64 holds: areas are worked out in floating point.
    const double total =
        std::accumulate(blocks.begin(), blocks.end(), 0.0,
                        [&](double sum, const auto& b) { return sum + double(sizes[b.index]); });
    const double scale = bounds.width * bounds.height / total;
    std::vector<double> areas(blocks.size());
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        areas[i] = static_cast<double>(sizes[blocks[i].index]) * scale;
    }

    // What is still to lay after each block, summed from the smallest up.
    std::vector<double> after(blocks.size(), 0.0);
    for (std::size_t i = blocks.size() - 1; i > 0; --i) after[i - 1] = after[i] + areas[i];

    FreeSpace free{bounds.x, bounds.y, bounds.x + bounds.width, bounds.y + bounds.height};
    for (std::size_t begin = 0; begin < blocks.size();) {
        const double side = std::min(free.width(), free.height());
        double rowArea = areas[begin];
        double worst = worstRatio(rowArea, areas[begin], areas[begin], side);
        std::size_t end = begin + 1;
        // Areas come largest first, so the newest block of a row is its smallest.
        for (; end < blocks.size(); ++end) {
            const double grown = worstRatio(rowArea + areas[end], areas[begin], areas[end], side);
            if (grown > worst) break;
            rowArea += areas[end];
            worst = grown;
        }
        layRow(std::span(blocks).subspan(begin, end - begin),
               std::span<const double>(areas).subspan(begin, end - begin), rowArea, after[end - 1],
               free);
        begin = end;
    }
    return blocks;
}

}  // namespace brimlet
