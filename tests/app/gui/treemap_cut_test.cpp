// The window's treemap in two parts: the blocks drawn at once and the strip of blocks too small
// to draw, laid out when asked for. Together they are a treemap of every item: each block
// proportional, none overlapping, the bounds covered; and nothing that could be drawn is left
// in the strip.
#include "app/gui/treemap_cut.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

namespace brimlet::gui {
namespace {

bool overlap(const TreemapRect& a, const TreemapRect& b) {
    constexpr double e = 1e-6;
    return a.x + e < b.x + b.width && b.x + e < a.x + a.width && a.y + e < b.y + b.height &&
           b.y + e < a.y + a.height;
}

bool inside(const TreemapRect& r, const TreemapRect& in) {
    constexpr double e = 1e-6;
    return r.x >= in.x - e && r.y >= in.y - e && r.x + r.width <= in.x + in.width + e &&
           r.y + r.height <= in.y + in.height + e;
}

TEST(TreemapCut, BothPartsTogetherAreProportionalDisjointAndCoverTheBounds) {
    std::mt19937_64 random(17);
    const auto sized = [&random](std::size_t n, std::int64_t big, std::size_t bigOnes) {
        std::vector<std::int64_t> sizes(n);
        for (auto& s : sizes) s = std::int64_t(random() % 5000) - 50;  // some zero or less
        for (std::size_t i = 0; i < bigOnes; ++i) sizes[random() % n] = big;
        return sizes;
    };
    const auto ramp = [](std::int64_t n) {
        std::vector<std::int64_t> sizes;
        for (std::int64_t i = n; i > 0; --i) sizes.push_back(i);
        return sizes;
    };
    const struct {
        const char* what;
        std::vector<std::int64_t> sizes;
        TreemapRect bounds;
        bool someDrawn, someSmall;
    } cases[] = {
        {"100,000 equal folders",
         std::vector<std::int64_t>(100000, 4096),
         {0, 0, 560, 440},
         false,
         true},
        {"a few big among many small, wide", sized(300, 40000000, 5), {2, 3, 600, 400}, true, true},
        {"a few big among many small, tall", sized(300, 40000000, 5), {0, 0, 200, 700}, true, true},
        {"areas from a tenth of a pixel to 60", ramp(2000), {0, 0, 300, 200}, true, true},
        {"none small", {50, 40, 30, 20, 10, 0, -3}, {0, 0, 320, 240}, true, false},
        {"nothing to lay out", {0, -1}, {0, 0, 320, 240}, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TreemapCut cut = cutTreemap(c.sizes, c.bounds, 9);
        std::vector<TreemapBlock> all = cut.blocks;
        const std::vector<TreemapBlock> rest = layOutRest(cut, c.sizes);
        all.insert(all.end(), rest.begin(), rest.end());
        EXPECT_EQ(!cut.blocks.empty(), c.someDrawn);
        EXPECT_EQ(!rest.empty(), c.someSmall);
        double total = 0;
        std::size_t positive = 0;
        for (const auto s : c.sizes) {
            total += s > 0 ? double(s) : 0;
            positive += s > 0 ? 1 : 0;
        }
        std::set<std::size_t> seen;
        double covered = 0;
        for (const auto& [index, r] : all) {
            ASSERT_LT(index, c.sizes.size());
            EXPECT_TRUE(seen.insert(index).second) << "twice: " << index;
            const double share = double(c.sizes[index]) / total * c.bounds.width * c.bounds.height;
            EXPECT_NEAR(r.width * r.height, share, 0.5) << index;
            EXPECT_TRUE(inside(r, c.bounds)) << index;
            covered += r.width * r.height;
        }
        EXPECT_EQ(seen.size(), positive);
        if (positive > 0) {
            EXPECT_NEAR(covered, c.bounds.width * c.bounds.height, 1e-3);
        }
        // Only what cannot be drawn waits in the strip, and the strip lies apart.
        for (const auto& [index, r] : cut.blocks) {
            EXPECT_GE(r.width * r.height, 9 - 1e-9) << index;
            EXPECT_FALSE(overlap(r, cut.rest)) << index;
        }
        for (const auto& [index, r] : rest) {
            EXPECT_LT(r.width * r.height, 9) << index;
            EXPECT_TRUE(inside(r, cut.rest)) << index;
        }
        if (all.size() > 400) continue;
        for (std::size_t i = 0; i < all.size(); ++i) {
            for (std::size_t j = i + 1; j < all.size(); ++j) {
                EXPECT_FALSE(overlap(all[i].rect, all[j].rect))
                    << all[i].index << " " << all[j].index;
            }
        }
    }
}

// With nothing too small, the blocks drawn are the squarified treemap itself.
TEST(TreemapCut, WithoutSmallBlocksItIsTheSquarifiedTreemap) {
    const std::vector<std::int64_t> sizes{6, 6, 4, 3, 2, 2, 1};
    const TreemapRect bounds{0, 0, 600, 400};
    const TreemapCut cut = cutTreemap(sizes, bounds, 9);
    const auto plain = squarify(sizes, bounds);
    ASSERT_EQ(cut.blocks.size(), plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
        EXPECT_EQ(cut.blocks[i].index, plain[i].index);
        EXPECT_DOUBLE_EQ(cut.blocks[i].rect.x, plain[i].rect.x);
        EXPECT_DOUBLE_EQ(cut.blocks[i].rect.width, plain[i].rect.width);
        EXPECT_DOUBLE_EQ(cut.blocks[i].rect.height, plain[i].rect.height);
    }
    EXPECT_EQ(cut.rest.width * cut.rest.height, 0);
}

}  // namespace
}  // namespace brimlet::gui
