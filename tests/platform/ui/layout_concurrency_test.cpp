// One immutable view tree laid out on several threads at once: the tree is shared, each layout
// has its own environment in force, and every thread gets the same frames and the same cuts of
// a text that has to be composed, wrapped and truncated (each thread segments text on its own).

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/ui/testing/fixed_measurer.h"
#include "platform/ui/testing/layout_queries.h"
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

// Every line of every text, in order.
std::vector<std::string> linesOf(const LaidOutNode& root) {
    std::vector<std::string> out;
    for (const LaidOutNode* node : testing::findNodes(root, "Text")) {
        const auto& lines = std::get<LaidOutText>(node->content).lines;
        out.insert(out.end(), lines.begin(), lines.end());
    }
    return out;
}

TEST(LayoutConcurrency, SharedTreeLaidOutOnManyThreadsGivesEachItsOwnEnvironment) {
    // Devanagari conjuncts, a ZWJ family and two flags: wider than two lines of its frame.
    const std::string name =
        "\u0939\u093F\u0928\u094D\u0926\u0940 \u0932\u0915\u094D\u0937"
        "\u094D\u092E\u0940 \U0001F469\u200D\U0001F469\u200D\U0001F467"
        "\u200D\U0001F466 \U0001F1EF\U0001F1F5\U0001F1E9\U0001F1EA";
    const View shared = VStack(HorizontalAlignment::leading, 2,
                               {Text("%@ free", {"1.0 GB"}).font(Font::caption).lineLimit(1),
                                View(Probe{}), HStack({Rectangle().frame(10, 10), Spacer(0)}),
                                Text::verbatim(name)
                                    .font(Font::caption)
                                    .lineLimit(2)
                                    .truncationMode(TruncationMode::middle)
                                    .frame(40, std::nullopt, Alignment::leading)});
    const testing::FixedMeasurer measurer;
    const std::vector<std::string> alone = linesOf(layout(shared, {100.0, 100.0}, measurer));
    ASSERT_EQ(alone.size(), 3U);
    ASSERT_EQ(alone[0], "1.0 GB free");
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            const int width = 10 * (t + 1);
            for (int round = 0; round < 50; ++round) {
                const LaidOutNode root =
                    layout(shared.environment(SizeKey{}, width), {100.0, 100.0}, measurer);
                const LaidOutNode* probe = testing::findNode(root, "Probe");
                if (probe == nullptr || probe->frame.width != width) ++mismatches;
                if (readEnvironment<SizeKey>() != 0 || linesOf(root) != alone) ++mismatches;
            }
        });
    }
    for (std::thread& th : threads) th.join();
    EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
}  // namespace ui
