#include "app/gui/treemap_cut.h"

namespace brimlet::gui {

TreemapCut cutTreemap(std::span<const std::int64_t> sizes, TreemapRect bounds,
                      double smallestArea) {
    TreemapCut cut;
    cut.rest = {bounds.x + bounds.width, bounds.y, 0, bounds.height};
    double total = 0;
    for (const std::int64_t size : sizes) total += size > 0 ? static_cast<double>(size) : 0;
    const double area = bounds.width * bounds.height;
    if (total <= 0 || area <= 0) return cut;
    // The size whose block has the smallest area drawn.
    const double smallest = total * smallestArea / area;
    std::vector<std::int64_t> big(sizes.begin(), sizes.end());
    double restTotal = 0;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        if (sizes[i] <= 0 || static_cast<double>(sizes[i]) >= smallest) continue;
        cut.restIndices.push_back(i);
        restTotal += static_cast<double>(sizes[i]);
        big[i] = 0;
    }
    TreemapRect head = bounds;
    const double share = restTotal / total;
    if (bounds.width >= bounds.height) {
        cut.rest = {bounds.x + bounds.width * (1 - share), bounds.y, bounds.width * share,
                    bounds.height};
        head.width = bounds.width - cut.rest.width;
    } else {
        cut.rest = {bounds.x, bounds.y + bounds.height * (1 - share), bounds.width,
                    bounds.height * share};
        head.height = bounds.height - cut.rest.height;
    }
    cut.blocks = squarify(big, head);
    return cut;
}

std::vector<TreemapBlock> layOutRest(const TreemapCut& cut, std::span<const std::int64_t> sizes) {
    std::vector<std::int64_t> rest;
    rest.reserve(cut.restIndices.size());
    for (const std::size_t i : cut.restIndices) rest.push_back(sizes[i]);
    std::vector<TreemapBlock> blocks = squarify(rest, cut.rest);
    for (TreemapBlock& block : blocks) block.index = cut.restIndices[block.index];
    return blocks;
}

}  // namespace brimlet::gui
