// One immutable view tree laid out on several threads at once: the tree is shared, each layout
// has its own environment in force, and every thread gets the same frames and the same cuts of
// a text that has to be wrapped and truncated (each thread segments text on its own).

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/ui/layout_json.h"
#include "platform/ui/testing/fixed_measurer.h"
#include "platform/ui/testing/layout_queries.h"
#include "platform/ui/ui.h"

namespace ui {
namespace {

using testing::findNode;
using testing::findNodes;

struct SizeKey {
    using Value = int;
    static Value defaultValue() { return 0; }
};

// Its width is the SizeKey value in force where it is laid out.
struct Probe {
    View body() const { return Rectangle().frame(readEnvironment<SizeKey>(), 4); }
};

// हिन्दी लक्ष्मी 👩‍👩‍👧‍👦 🇯🇵🇩🇪: wider than two lines of its frame.
const std::string kName = "\u0939\u093F\u0928\u094D\u0926\u0940 \u0932\u0915\u094D\u0937"
                          "\u094D\u092E\u0940 \U0001F469\u200D\U0001F469\u200D\U0001F467"
                          "\u200D\U0001F466 \U0001F1EF\U0001F1F5\U0001F1E9\U0001F1EA";

std::vector<std::string> namesLines(const LaidOutNode& root) {
    for (const LaidOutNode* node : findNodes(root, "Text")) {
        const auto& text = std::get<LaidOutText>(node->content);
        if (text.composed == kName) return text.lines;
    }
    return {};
}

TEST(LayoutConcurrency, SharedTreeLaidOutOnManyThreadsGivesEachItsOwnEnvironment) {
    const View shared = VStack(HorizontalAlignment::leading, 2,
                               {Text("%@ free", {"1.0 GB"}).font(Font::caption).lineLimit(1),
                                View(Probe{}),
                                HStack({Rectangle().frame(10, 10), Spacer(0)}),
                                Text::verbatim(kName)
                                    .font(Font::caption)
                                    .lineLimit(2)
                                    .truncationMode(TruncationMode::middle)
                                    .frame(40, std::nullopt, Alignment::leading)});
    const testing::FixedMeasurer measurer;
    constexpr int kThreads = 4;
    constexpr int kRounds = 50;
    std::atomic<int> mismatches{0};
    std::vector<std::vector<std::string>> cuts(kThreads);
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
                const std::vector<std::string> cut = namesLines(root);
                if (round == 0) {
                    cuts[static_cast<std::size_t>(t)] = cut;
                } else if (cut != cuts[static_cast<std::size_t>(t)]) {
                    ++mismatches;
                }
            }
        });
    }
    for (std::thread& th : threads) th.join();
    EXPECT_EQ(mismatches.load(), 0);
    const std::vector<std::string> alone = namesLines(layout(shared, {100.0, 100.0}, measurer));
    ASSERT_EQ(alone.size(), 2U);
    for (const auto& cut : cuts) EXPECT_EQ(cut, alone);
}

}  // namespace
}  // namespace ui
