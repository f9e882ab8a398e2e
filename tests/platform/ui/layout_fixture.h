#pragma once
// Small language for layout tests: lay a view out with the fixed-advance measurer and read back
// the frames of the nodes by type and order.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/ui/testing/fixed_measurer.h"
#include "platform/ui/testing/layout_queries.h"
#include "platform/ui/ui.h"

namespace ui::test {

inline const TextMeasurer& fixedMeasurer() {
    static const testing::FixedMeasurer m;
    return m;
}

inline LaidOutNode lay(const View& v, ProposedSize p, const EnvironmentValues& env = {}) {
    return layout(v, p, fixedMeasurer(), env);
}

// Frames of every node of `type`, in pre-order.
inline std::vector<Rect> framesOf(const LaidOutNode& root, std::string_view type) {
    std::vector<Rect> out;
    for (const LaidOutNode* n : testing::findNodes(root, type)) out.push_back(n->frame);
    return out;
}

inline void expectFrames(const std::vector<Rect>& actual, const std::vector<Rect>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        const Rect& a = actual[i];
        const Rect& e = expected[i];
        EXPECT_TRUE(std::abs(a.x - e.x) < 1e-6 && std::abs(a.y - e.y) < 1e-6 &&
                    std::abs(a.width - e.width) < 1e-6 && std::abs(a.height - e.height) < 1e-6)
            << "node " << i << ": [" << a.x << ", " << a.y << ", " << a.width << ", " << a.height
            << "], expected [" << e.x << ", " << e.y << ", " << e.width << ", " << e.height << "]";
    }
}

inline void expectFrame(const Rect& actual, const Rect& expected) {
    expectFrames({actual}, {expected});
}

}  // namespace ui::test
