#pragma once
// Small language for layout tests: lay a view out with the fixed-advance measurer and read back
// the frames of the nodes by type and order.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/testing/layout_queries.h"
#include "platform/ui/ui.h"
#include "platform/ui/testing/fixed_measurer.h"

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

inline std::string str(const Rect& r) {
    return "[" + std::to_string(r.x) + ", " + std::to_string(r.y) + ", " + std::to_string(r.width) +
           ", " + std::to_string(r.height) + "]";
}

inline void expectFrame(const Rect& actual, const Rect& expected) {
    SCOPED_TRACE("actual " + str(actual) + " expected " + str(expected));
    EXPECT_NEAR(actual.x, expected.x, 1e-6);
    EXPECT_NEAR(actual.y, expected.y, 1e-6);
    EXPECT_NEAR(actual.width, expected.width, 1e-6);
    EXPECT_NEAR(actual.height, expected.height, 1e-6);
}

inline void expectFrames(const std::vector<Rect>& actual, const std::vector<Rect>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        SCOPED_TRACE("node " + std::to_string(i));
        expectFrame(actual[i], expected[i]);
    }
}

}  // namespace ui::test
