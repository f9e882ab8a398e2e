// The squarified treemap: the paper's own example, and random layouts that are proportional,
// disjoint, cover their rectangle and are no less square than slicing.
#include "app/explore/treemap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace brimlet {
namespace {

double worstAspect(const std::vector<TreemapBlock>& blocks) {
    double worst = 1;
    for (const auto& [i, r] : blocks)
        worst = std::max({worst, r.width / r.height, r.height / r.width});
    return worst;
}

// Bruls, Huizing and van Wijk's example, worked by their algorithm: in the 6 × 4 rectangle the
// first row, along the shorter (vertical) side, takes 6 and 6 (worst ratio 8/3, then 3/2; adding
// 4 would make it 4); in the 3 × 4 left, a row on top takes 4 and 3 (9/4, then 49/27; adding 2
// gives 9/2); in the 3 × 5/3 left, each 2 gets a column (25/18; both in one would give 72/25),
// then the 1. Nothing is laid without a positive size or an area.
TEST(Squarify, PapersExampleGivesItsRows) {
    const std::vector<std::int64_t> sizes{6, 6, 4, 3, 2, 2, 1};
    const double h = 7.0 / 3;  // the height of the row of 4 and 3
    const std::vector<TreemapRect> expected{{0, 0, 3, 2},        {0, 2, 3, 2},
                                            {3, 0, 12.0 / 7, h}, {3 + 12.0 / 7, 0, 9.0 / 7, h},
                                            {3, h, 1.2, 4 - h},  {4.2, h, 1.2, 4 - h},
                                            {5.4, h, 0.6, 4 - h}};
    const auto blocks = squarify(sizes, {0, 0, 6, 4});
    ASSERT_EQ(blocks.size(), expected.size());
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const auto& [x, y, width, height] = blocks[i].rect;
        EXPECT_EQ(blocks[i].index, i);
        EXPECT_NEAR(x, expected[i].x, 1e-9) << i;
        EXPECT_NEAR(y, expected[i].y, 1e-9) << i;
        EXPECT_NEAR(width, expected[i].width, 1e-9) << i;
        EXPECT_NEAR(height, expected[i].height, 1e-9) << i;
    }
    const std::vector<std::int64_t> none{0, -1};
    EXPECT_TRUE(squarify(none, {0, 0, 6, 4}).empty());
    EXPECT_TRUE(squarify(sizes, {0, 0, 6, 0}).empty());
}

// Random sizes (zeros, negatives, sizes far apart, one near the top of int64) in rectangles of
// many shapes.
TEST(Squarify, BlocksAreProportionalDisjointCoverTheBoundsAndBeatSlicing) {
    std::mt19937_64 random(2026);
    for (int round = 0; round < 120; ++round) {
        std::vector<std::int64_t> sizes(1 + random() % (round < 100 ? 40 : 400));
        for (auto& s : sizes)
            s = std::int64_t(random() % 10 == 0 ? 0 : random() % (1 + random() % 1000000)) -
                (random() % 10 == 0);
        if (round % 7 == 0) sizes.push_back(std::int64_t{1} << 62);
        const TreemapRect bounds{3.5, 7, 10.0 + double(random() % 1500),
                                 10.0 + double(random() % 900)};
        const auto blocks = squarify(sizes, bounds);

        double total = 0;
        std::vector<TreemapBlock> slices;  // slice-and-dice: each item across the longer side
        for (std::size_t i = 0; i < sizes.size(); ++i)
            total += double(std::max<std::int64_t>(sizes[i], 0));
        double at = 0;
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            if (sizes[i] <= 0) continue;
            const double part = double(sizes[i]) / total;
            slices.push_back(bounds.width >= bounds.height
                                 ? TreemapBlock{i, {at, 0, bounds.width * part, bounds.height}}
                                 : TreemapBlock{i, {0, at, bounds.width, bounds.height * part}});
            at += std::max(bounds.width, bounds.height) * part;
        }
        SCOPED_TRACE(round);
        ASSERT_EQ(blocks.size(), slices.size());
        const double area = bounds.width * bounds.height;
        double covered = 0;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            const auto& [x, y, width, height] = blocks[i].rect;
            EXPECT_LE(sizes[blocks[i].index], sizes[blocks[i == 0 ? 0 : i - 1].index]);
            EXPECT_NEAR(width * height, double(sizes[blocks[i].index]) / total * area, 0.5);
            EXPECT_TRUE(x >= bounds.x && y >= bounds.y &&
                        x + width <= bounds.x + bounds.width + 1e-9 &&
                        y + height <= bounds.y + bounds.height + 1e-9);
            covered += width * height;
            for (std::size_t j = 0; j < i; ++j) {
                const auto& o = blocks[j].rect;
                const double w = std::min(x + width, o.x + o.width) - std::max(x, o.x);
                const double h = std::min(y + height, o.y + o.height) - std::max(y, o.y);
                ASSERT_FALSE(w > 1e-6 && h > 1e-6) << i << " overlaps " << j;
            }
        }
        EXPECT_NEAR(covered, area, area * 1e-9);
        EXPECT_LE(worstAspect(blocks), worstAspect(slices) * (1 + 1e-9));
    }
}

}  // namespace
}  // namespace brimlet
