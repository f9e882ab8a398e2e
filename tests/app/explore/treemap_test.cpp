// The squarified treemap: proportional, non-overlapping blocks that cover their rectangle, the
// paper's own example, and aspect ratios no worse than slicing.
#include "app/explore/treemap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace brimlet {
namespace {

constexpr double kTolerance = 1e-9;

double worstAspect(const std::vector<TreemapBlock>& blocks) {
    double worst = 1;
    for (const auto& b : blocks) {
        const auto& r = b.rect;
        worst = std::max(worst, std::max(r.width / r.height, r.height / r.width));
    }
    return worst;
}

// The slice-and-dice layout of one level: every item a slice across the longer side.
std::vector<TreemapBlock> sliceAndDice(const std::vector<std::int64_t>& sizes, TreemapRect in) {
    double total = 0;
    for (auto s : sizes) total += static_cast<double>(std::max<std::int64_t>(s, 0));
    std::vector<TreemapBlock> blocks;
    double at = 0;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        if (sizes[i] <= 0) continue;
        const double share = static_cast<double>(sizes[i]) / total;
        blocks.push_back(in.width >= in.height
                             ? TreemapBlock{i, {in.x + at, in.y, in.width * share, in.height}}
                             : TreemapBlock{i, {in.x, in.y + at, in.width, in.height * share}});
        at += (in.width >= in.height ? in.width : in.height) * share;
    }
    return blocks;
}

// Bruls, Huizing and van Wijk's example, worked by their algorithm: in the 6 × 4 rectangle the
// first row along the shorter (vertical) side takes 6 and 6 (worst ratio 4 → 1.5; adding 4 would
// make it 4); in the 3 × 4 left, a row on top takes 4 and 3 (2.25 → 1.81; adding 2 gives 4.5);
// in the 3 × 5/3 left, the 2s go one column each (1.39; two would give 2.88), then the 1.
TEST(Squarify, PapersExampleGivesItsRows) {
    const std::vector<std::int64_t> sizes{6, 6, 4, 3, 2, 2, 1};
    const auto blocks = squarify(sizes, {0, 0, 6, 4});
    const double third = 7.0 / 3;  // the height of the 4-and-3 row
    const std::vector<TreemapRect> expected{
        {0, 0, 3, 2},
        {0, 2, 3, 2},
        {3, 0, 12.0 / 7, third},
        {3 + 12.0 / 7, 0, 9.0 / 7, third},
        {3, third, 1.2, 4 - third},
        {4.2, third, 1.2, 4 - third},
        {5.4, third, 0.6, 4 - third},
    };
    ASSERT_EQ(blocks.size(), expected.size());
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(blocks[i].index, i);
        EXPECT_NEAR(blocks[i].rect.x, expected[i].x, kTolerance);
        EXPECT_NEAR(blocks[i].rect.y, expected[i].y, kTolerance);
        EXPECT_NEAR(blocks[i].rect.width, expected[i].width, kTolerance);
        EXPECT_NEAR(blocks[i].rect.height, expected[i].height, kTolerance);
    }
}

// Random sizes (zeros and negatives among them, and sizes far apart) in rectangles of many
// shapes: the blocks are the positive items, biggest first, proportional within half a square
// pixel, inside the bounds, pairwise disjoint, and their areas add up to the bounds'; the worst
// aspect ratio is never worse than slicing's.
TEST(Squarify, BlocksAreProportionalDisjointCoverTheBoundsAndBeatSlicing) {
    std::mt19937_64 random(2026);
    for (int round = 0; round < 120; ++round) {
        SCOPED_TRACE(round);
        const std::size_t count = 1 + random() % (round < 100 ? 40 : 400);
        std::vector<std::int64_t> sizes(count);
        for (auto& s : sizes) {
            const auto pick = random() % 10;
            s = pick == 0   ? 0
                : pick == 1 ? -5
                            : std::int64_t(random() % (1 + (random() % 1000000)));
        }
        if (round % 7 == 0) sizes.push_back(std::int64_t{1} << 62);  // near the top of int64
        const TreemapRect bounds{3.5, 7, 10.0 + double(random() % 1500),
                                 10.0 + double(random() % 900)};
        const auto blocks = squarify(sizes, bounds);

        double total = 0;
        std::size_t positive = 0;
        for (auto s : sizes) positive += s > 0, total += double(std::max<std::int64_t>(s, 0));
        ASSERT_EQ(blocks.size(), positive);
        const double area = bounds.width * bounds.height;
        double covered = 0;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            const auto& r = blocks[i].rect;
            EXPECT_LE(sizes[blocks[i].index], sizes[blocks[i == 0 ? 0 : i - 1].index]);
            EXPECT_NEAR(r.width * r.height, double(sizes[blocks[i].index]) / total * area, 0.5);
            EXPECT_GE(r.x, bounds.x - kTolerance);
            EXPECT_GE(r.y, bounds.y - kTolerance);
            EXPECT_LE(r.x + r.width, bounds.x + bounds.width + 1e-6);
            EXPECT_LE(r.y + r.height, bounds.y + bounds.height + 1e-6);
            covered += r.width * r.height;
            for (std::size_t j = 0; j < i; ++j) {
                const auto& o = blocks[j].rect;
                const double w = std::min(r.x + r.width, o.x + o.width) - std::max(r.x, o.x);
                const double h = std::min(r.y + r.height, o.y + o.height) - std::max(r.y, o.y);
                ASSERT_FALSE(w > 1e-6 && h > 1e-6) << i << " overlaps " << j;
            }
        }
        EXPECT_NEAR(covered, area, area * 1e-9);
        EXPECT_LE(worstAspect(blocks), worstAspect(sliceAndDice(sizes, bounds)) + kTolerance);
    }
}

TEST(Squarify, NothingToLayGivesNoBlocks) {
    const std::vector<std::int64_t> none{0, -1, 0}, some{5, 3};
    EXPECT_TRUE(squarify(none, {0, 0, 10, 10}).empty());
    EXPECT_TRUE(squarify({}, {0, 0, 10, 10}).empty());
    EXPECT_TRUE(squarify(some, {0, 0, 0, 10}).empty());
    EXPECT_TRUE(squarify(some, {0, 0, 10, -1}).empty());
}

}  // namespace
}  // namespace brimlet
