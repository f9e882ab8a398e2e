#pragma once
// The treemap of a folder of many folders, laid out in two parts: the blocks big enough to be
// drawn at once, and the rest (each under a few pixels, which no frame draws) as one strip
// at the far end, cut into its blocks only when one of them is asked for. Every block's area
// stays its size's share of the whole: a folder of 100,000 folders costs a frame no squarify
// of 100,000 blocks.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "app/explore/treemap.h"

namespace brimlet::gui {

struct TreemapCut {
    std::vector<TreemapBlock> blocks;      // the blocks drawn, `index` into the sizes given
    TreemapRect rest;                      // the strip holding the small ones; no area when none
    std::vector<std::size_t> restIndices;  // the small ones, into the sizes given, in order
};

// The squarified treemap of `sizes` in `bounds` (as brimlet::squarify), the items whose block
// would have less than `smallestArea` (in the bounds' units squared) set apart in a strip
// across the end of the bounds' longer side, its width their share of the whole. Items of
// size <= 0 are left out.
TreemapCut cutTreemap(std::span<const std::int64_t> sizes, TreemapRect bounds, double smallestArea);

// The blocks of `cut`'s small items in its strip, `index` into the sizes given to cutTreemap.
std::vector<TreemapBlock> layOutRest(const TreemapCut& cut, std::span<const std::int64_t> sizes);

}  // namespace brimlet::gui
