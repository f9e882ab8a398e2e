#include "platform/ui/layout/space_sharing.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ui::detail {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Children in the order they are served: priority first, then least flexible first.
std::vector<std::size_t> servingOrder(const std::vector<Flexibility>& children,
                                      const std::vector<double>& flex) {
    std::vector<std::size_t> order(children.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const double pa = children[a].priority;
        const double pb = children[b].priority;
        if (pa != pb) return pa > pb;
        if (std::isinf(flex[a]) && std::isinf(flex[b])) {
            return children[a].minimum > children[b].minimum;
        }
        return flex[a] < flex[b];
    });
    return order;
}

void shareLength(const std::vector<Flexibility>& children, double available,
                 const ChooseLength& choose, std::vector<Share>& shares) {
    const std::size_t n = children.size();
    std::vector<double> flex(n);
    for (std::size_t i = 0; i < n; ++i) {
        flex[i] = children[i].maximum - children[i].minimum;
        if (std::isnan(flex[i])) flex[i] = kInfinity;
    }
    const std::vector<std::size_t> order = servingOrder(children, flex);
    const double top = n > 0 ? children[order[0]].priority : 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (children[i].priority < top) available -= children[i].minimum;
    }
    std::size_t k = 0;
    while (k < n) {
        const double groupPriority = children[order[k]].priority;
        std::size_t end = k;
        while (end < n && children[order[end]].priority == groupPriority) ++end;
        if (groupPriority < top) {
            for (std::size_t g = k; g < end; ++g) available += children[order[g]].minimum;
        }
        for (std::size_t g = k; g < end; ++g) {
            const std::size_t i = order[g];
            const double share = std::max(available / static_cast<double>(end - g), 0.0);
            const double taken =
                choose ? choose(i, share)
                       : std::min(std::max(share, children[i].minimum), children[i].maximum);
            shares[i] = {share, taken};
            available -= taken;
        }
        k = end;
    }
}

}  // namespace

SpaceSharing shareSpace(const std::vector<Flexibility>& children, std::optional<double> length,
                        double spacing, const ChooseLength& choose) {
    const std::size_t n = children.size();
    double internal = 0;
    for (std::size_t i = 0; i + 1 < n; ++i) internal += spacing;

    SpaceSharing result;
    result.shares.resize(n);
    if (!length) {
        for (std::size_t i = 0; i < n; ++i) result.shares[i] = {std::nullopt, children[i].ideal};
    } else {
        shareLength(children, *length - internal, choose, result.shares);
    }
    result.total = internal;
    for (const Share& s : result.shares) result.total += s.length;
    return result;
}

}  // namespace ui::detail
