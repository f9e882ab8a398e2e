#pragma once
// The squarified treemap of Bruls, Huizing and van Wijk: a rectangle cut into one block per item,
// each block's area proportional to its item's size, with blocks kept close to square.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace brimlet {

// A rectangle in any unit (the window uses pixels); x grows rightwards, y downwards.
struct TreemapRect {
    double x = 0, y = 0, width = 0, height = 0;
};

struct TreemapBlock {
    std::size_t index;  // into the `sizes` given
    TreemapRect rect;
};

// The squarified treemap of `sizes` in `bounds`: items of size <= 0 are left out; blocks come
// biggest first (equal sizes in the order given); each block's area is its size's share of the
// bounds' area; blocks never overlap and together cover `bounds` exactly (when any size is
// positive). Rows are laid along the shorter side of the space left, and a row takes the next
// item as long as that does not make its worst aspect ratio worse. Empty when no size is
// positive or `bounds` has no area. O(n log n) for the sort, O(n) for the layout.
std::vector<TreemapBlock> squarify(std::span<const std::int64_t> sizes, TreemapRect bounds);

}  // namespace brimlet
