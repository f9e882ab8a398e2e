// Layout alone, and layout + drawing + PNG encoding, of a medium tile shaped like the fullness
// widget: a ring with its percentage, three lines of text and a tinted background. Then the
// layout of a list of long names, cut in the middle and wrapped, where line breaking and
// truncation do most of the work.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/ui/render/render.h"
#include "platform/ui/testing/fixed_measurer.h"
#include "platform/ui/ui.h"

namespace {

const ui::Color kGreen(0.11, 0.69, 0.48);

struct Ring {
    double fraction;
    ui::View body() const {
        return ui::ZStack(ui::Alignment::center,
                          {ui::Circle().stroke(ui::quaternary, 10),
                           ui::Circle()
                               .trim(0, fraction)
                               .stroke(kGreen, ui::StrokeStyle{10, ui::LineCap::round})
                               .rotationEffect(ui::Angle::degrees(-90))
                               .widgetAccentable(),
                           ui::Text("%lld%%", {std::int64_t{62}})
                               .font(ui::Font::system(15, ui::Font::Weight::semibold))
                               .monospacedDigit()
                               .contentTransition(ui::ContentTransition::numericText(false))});
    }
};

struct Medium {
    ui::View body() const {
        return ui::HStack(
                   ui::VerticalAlignment::center, 16,
                   {ui::View(Ring{0.62}).frame(76, 76),
                    ui::VStack(
                        ui::HorizontalAlignment::leading, 4,
                        {ui::Text::verbatim("Macintosh HD").font(ui::Font::headline).lineLimit(1),
                         ui::Text("%@ free", {"353.9 GB"})
                             .font(ui::Font::subheadline.weight(ui::Font::Weight::medium))
                             .foregroundStyle(kGreen),
                         ui::Text("%@ of %@ used", {"577.4 GB", "931.3 GB"})
                             .font(ui::Font::caption)
                             .foregroundStyle(ui::secondary)
                             .lineLimit(1)
                             .minimumScaleFactor(0.8)}),
                    ui::Spacer(0)})
            .containerBackground(
                ui::ContainerBackgroundPlacement::widget, ui::Alignment::center,
                ui::View(ui::LinearGradient(ui::Gradient{{kGreen.opacity(0.1), ui::Color::clear}},
                                            ui::UnitPoint::top, ui::UnitPoint::bottom))
                    .background(ui::background));
    }
};

// Names of every script the cutting rules care about, each far wider than its row.
const std::vector<std::string> kLongNames = {
    "node_modules of a project with a very long name indeed",
    "Donn\u00E9es du caf\u00E9 e\u0301te\u0301 re\u0301sume\u0301 a\u0308",  // some accents
                                                                             // decomposed
    // हिन्दी क्षमा लक्ष्मी राष्ट्र
    "\u0939\u093F\u0928\u094D\u0926\u0940 \u0915\u094D\u0937\u092E\u093E \u0932\u0915\u094D"
    "\u0937\u094D\u092E\u0940 \u0930\u093E\u0937\u094D\u091F\u094D\u0930",
    // 👩‍👩‍👧 🇯🇵🇩🇪 photos 👍🏽 and more 👩‍💻
    "\U0001F469\u200D\U0001F469\u200D\U0001F467 \U0001F1EF\U0001F1F5\U0001F1E9\U0001F1EA photos "
    "\U0001F44D\U0001F3FD and more \U0001F469\u200D\U0001F4BB",
    "\uD55C\uAD6D\uC5B4 \uD3F4\uB354 \uC774\uB984\uC774 \uB9E4\uC6B0 \uAE38\uB2E4",  // 한국어 ...
    "\u65E5\u672C\u8A9E\u306E\u3068\u3066\u3082\u9577\u3044\u30D5\u30A9\u30EB\u30C0",  // 日本語...
};

struct Names {
    ui::View body() const {
        std::vector<ui::View> rows;
        for (const std::string& name : kLongNames) {
            rows.push_back(ui::Text::verbatim(name)
                               .font(ui::Font::caption)
                               .lineLimit(1)
                               .truncationMode(ui::TruncationMode::middle)
                               .frame(90, std::nullopt, ui::Alignment::leading));
            rows.push_back(ui::Text::verbatim(name + " " + name)
                               .font(ui::Font::caption)
                               .lineLimit(3)
                               .frame(120, std::nullopt, ui::Alignment::leading));
        }
        return ui::VStack(ui::HorizontalAlignment::leading, 2, std::move(rows));
    }
};

const render::TileOptions kOptions{
    {364, 170}, 2, ui::ColorScheme::light, ui::RenderingMode::fullColor};
const render::TileOptions kLargeOptions{
    {364, 382}, 2, ui::ColorScheme::light, ui::RenderingMode::fullColor};

void BM_LayoutFixedMeasurer(benchmark::State& state) {
    const ui::View view(Medium{});
    const ui::testing::FixedMeasurer measurer;
    for (auto _ : state) {
        benchmark::DoNotOptimize(render::layoutForRendering(view, kOptions, measurer));
    }
}
BENCHMARK(BM_LayoutFixedMeasurer);

void BM_LayoutPangoMeasurer(benchmark::State& state) {
    const ui::View view(Medium{});
    const auto measurer = render::makeTextMeasurer();
    for (auto _ : state) {
        benchmark::DoNotOptimize(render::layoutForRendering(view, kOptions, *measurer));
    }
}
BENCHMARK(BM_LayoutPangoMeasurer)->Unit(benchmark::kMicrosecond);

void BM_LayoutLongNamesFixedMeasurer(benchmark::State& state) {
    const ui::View view(Names{});
    const ui::testing::FixedMeasurer measurer;
    for (auto _ : state) {
        benchmark::DoNotOptimize(render::layoutForRendering(view, kLargeOptions, measurer));
    }
}
BENCHMARK(BM_LayoutLongNamesFixedMeasurer)->Unit(benchmark::kMicrosecond);

void BM_LayoutLongNamesPangoMeasurer(benchmark::State& state) {
    const ui::View view(Names{});
    const auto measurer = render::makeTextMeasurer();
    for (auto _ : state) {
        benchmark::DoNotOptimize(render::layoutForRendering(view, kLargeOptions, *measurer));
    }
}
BENCHMARK(BM_LayoutLongNamesPangoMeasurer)->Unit(benchmark::kMicrosecond);

void BM_LayoutRenderPngScale2(benchmark::State& state) {
    const ui::View view(Medium{});
    std::string png;
    for (auto _ : state) {
        const auto measurer = render::makeTextMeasurer();
        const ui::LaidOutTile tile = render::layoutForRendering(view, kOptions, *measurer);
        const foundation::Status status = render::encodeTile(tile, render::Format::png, 2, png);
        if (!status) state.SkipWithError(status.message().c_str());
        benchmark::DoNotOptimize(png.data());
    }
    state.counters["png_bytes"] = static_cast<double>(png.size());
}
BENCHMARK(BM_LayoutRenderPngScale2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
