// shareSpace on its own: children described only by how they respond along the stack's axis.
// Each case lists what every child is offered and what it takes.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/ui/geometry.h"
#include "platform/ui/layout/space_sharing.h"

namespace ui::detail {
namespace {

constexpr double kInf = infinity;

// A child that takes any length in [minimum, maximum]; its ideal is `ideal`.
Flexibility flex(double minimum, double maximum, double priority = 0, double ideal = 0) {
    return {minimum, ideal, maximum, priority};
}

TEST(ShareSpace, KnownAnswers) {
    // Each row: the children, the length offered to the stack (none for its ideal size) and the
    // spacing; then what every child is offered and takes, and the stack's total.
    struct Case {
        std::vector<Flexibility> children;
        std::optional<double> length;
        double spacing;
        std::vector<std::optional<double>> offered;
        std::vector<double> taken;
        double total;
    };
    const std::optional<double> none;
    const Flexibility unbounded = flex(0, kInf);
    const Flexibility spacer = flex(0, kInf, -kInf);
    const Case cases[] = {
        // Equal children get equal shares of what is left after spacing.
        {{unbounded, unbounded, unbounded}, 320.0, 10, {100.0, 100.0, 100.0}, {100, 100, 100}, 320},
        // The least flexible child is served first and the rest shared again.
        {{unbounded, flex(0, 50), flex(0, 100)},
         300.0,
         0,
         {150.0, 100.0, 125.0},
         {150, 50, 100},
         300},
        // Among unbounded children the larger minimum is served first.
        {{flex(10, kInf), flex(70, kInf)}, 100.0, 0, {30.0, 50.0}, {30, 70}, 100},
        // A child cannot shrink below its minimum: the stack overflows.
        {{flex(80, 80), unbounded}, 50.0, 0, {25.0, 0.0}, {80, 0}, 80},
        // A child takes no more than its maximum and the stack keeps the rest.
        {{flex(0, 40)}, 100.0, 0, {100.0}, {40}, 40},
        // A higher priority is served first, the lower ones keeping their minimum.
        {{flex(0, kInf, 1), flex(30, kInf)}, 100.0, 0, {70.0, 30.0}, {70, 30}, 100},
        // A lowest-priority child (a spacer in a stack) takes what the others leave.
        {{spacer, flex(0, 60), flex(0, 20)}, 100.0, 0, {20.0, 80.0, 50.0}, {20, 60, 20}, 100},
        // Offered 0, every child takes its minimum; offered infinity, its maximum.
        {{flex(10, 50), unbounded}, 0.0, 4, {0.0, 0.0}, {10, 0}, 14},
        {{flex(0, 50), unbounded}, kInf, 0, {kInf, kInf}, {50, kInf}, kInf},
        // Offered nothing, every child is offered nothing and takes its ideal.
        {{flex(0, kInf, 0, 12), flex(5, 5, 0, 5)}, none, 3, {none, none}, {12, 5}, 20},
        // No children take only nothing.
        {{}, 100.0, 8, {}, {}, 0},
    };
    for (std::size_t row = 0; row < std::size(cases); ++row) {
        SCOPED_TRACE("row " + std::to_string(row));
        const Case& c = cases[row];
        const SpaceSharing sharing = shareSpace(c.children, c.length, c.spacing);
        ASSERT_EQ(sharing.shares.size(), c.taken.size());
        for (std::size_t i = 0; i < c.taken.size(); ++i) {
            SCOPED_TRACE("child " + std::to_string(i));
            EXPECT_EQ(sharing.shares[i].proposal, c.offered[i]);
            EXPECT_DOUBLE_EQ(sharing.shares[i].length, c.taken[i]);
        }
        EXPECT_DOUBLE_EQ(sharing.total, c.total);
    }
}

TEST(ShareSpace, WhatAChildLeavesOfItsShareGoesToTheNext) {
    // The first child wraps into 30 of the 50 it is offered (a text would); the unbounded one
    // after it is offered the remaining 70.
    std::vector<std::pair<std::size_t, double>> offers;
    const SpaceSharing sharing =
        shareSpace({flex(0, 100), flex(0, kInf)}, 100.0, 0, [&](std::size_t i, double share) {
            offers.emplace_back(i, share);
            return i == 0 ? 30.0 : share;
        });
    const std::vector<std::pair<std::size_t, double>> expected{{0, 50.0}, {1, 70.0}};
    EXPECT_EQ(offers, expected);
    EXPECT_DOUBLE_EQ(sharing.total, 100);
}

}  // namespace
}  // namespace ui::detail
