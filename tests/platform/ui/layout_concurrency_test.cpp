// One immutable view tree laid out on several threads at once: the tree is shared, each layout
// has its own environment in force, and every thread gets the same frames.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/ui/layout_json.h"
#include "platform/ui/testing/fixed_measurer.h"
#include "platform/ui/ui.h"

namespace ui {
namespace {

struct SizeKey {
    using Value = int;
    static Value defaultValue() { return 0; }
};

// Its width is the SizeKey value in force where it is laid out.
struct Probe {
    View body() const { return Rectangle().frame(readEnvironment<SizeKey>(), 4); }
};

TEST(LayoutConcurrency, SharedTreeLaidOutOnManyThreadsGivesEachItsOwnEnvironment) {
    const View shared = VStack(HorizontalAlignment::leading, 2,
                               {Text("%@ free", {"1.0 GB"}).font(Font::caption).lineLimit(1),
                                View(Probe{}),
                                HStack({Rectangle().frame(10, 10), Spacer(0)})});
    const testing::FixedMeasurer measurer;
    constexpr int kThreads = 4;
    constexpr int kRounds = 50;
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            const int width = 10 * (t + 1);
            for (int round = 0; round < kRounds; ++round) {
                const LaidOutNode root =
                    layout(shared.environment(SizeKey{}, width), {100.0, 100.0}, measurer);
                const LaidOutNode* probe = findNode(root, "Probe");
                if (probe == nullptr || probe->frame.width != width) ++mismatches;
                if (readEnvironment<SizeKey>() != 0) ++mismatches;
                const LaidOutNode* text = findNode(root, "Text");
                if (text == nullptr ||
                    std::get<LaidOutText>(text->content).composed != "1.0 GB free") {
                    ++mismatches;
                }
            }
        });
    }
    for (std::thread& th : threads) th.join();
    EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
}  // namespace ui
