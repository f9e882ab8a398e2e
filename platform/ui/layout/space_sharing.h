#pragma once
// How a stack shares its length among its children, for either axis. Pure: it knows nothing of
// views, only of how each child responds to what it is offered along the stack's axis.

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace ui::detail {

// One child along the stack's axis.
struct Flexibility {
    // The length it takes when offered 0. Read only when the stack is offered a length.
    double minimum = 0;
    // The length it takes when offered nothing (nil). Read only when the stack is offered none.
    double ideal = 0;
    // The length it takes when offered infinity; may be infinite.
    double maximum = 0;
    // layoutPriority: higher priorities are served first.
    double priority = 0;
};

// What one child is offered and what it takes.
struct Share {
    // nullopt when the stack itself was offered nothing.
    std::optional<double> proposal{};
    double length = 0;
};

struct SpaceSharing {
    // One per child, in declaration order.
    std::vector<Share> shares{};
    // The children's lengths plus `spacing` between each two neighbours.
    double total = 0;
};

// The length child `index` takes when offered `proposal`. A child that wraps (a text) may take
// less than its share even below its maximum, leaving the rest to the children after it.
using ChooseLength = std::function<double(std::size_t index, double proposal)>;

// Shares `length` (the stack's proposal along its axis) among `children`, `spacing` apart.
//
// Offered nothing, every child is offered nothing and takes its ideal. Offered a length, the
// space left after spacing goes out priority by priority, highest first; children below the
// highest priority are first guaranteed their minimum. Within one priority the least flexible
// child (maximum - minimum; an unbounded one counts as infinitely flexible, and among those the
// larger minimum goes first) is offered an equal share of what is left, never below 0, and what
// it takes is subtracted before the next. `choose` says what a child takes; without it a child
// takes its share clamped to [minimum, maximum].
SpaceSharing shareSpace(const std::vector<Flexibility>& children, std::optional<double> length,
                        double spacing, const ChooseLength& choose = {});

}  // namespace ui::detail
