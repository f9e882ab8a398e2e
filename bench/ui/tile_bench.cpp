// Layout alone, and layout + drawing + PNG encoding, of a medium tile shaped like the fullness
// widget: a ring with its percentage, three lines of text and a tinted background.

#include <benchmark/benchmark.h>

#include <string>

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
        return ui::HStack(ui::VerticalAlignment::center, 16,
                          {ui::View(Ring{0.62}).frame(76, 76),
                           ui::VStack(ui::HorizontalAlignment::leading, 4,
                                      {ui::Text::verbatim("Macintosh HD")
                                           .font(ui::Font::headline)
                                           .lineLimit(1),
                                       ui::Text("%@ free", {"353.9 GB"})
                                           .font(ui::Font::subheadline.weight(
                                               ui::Font::Weight::medium))
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

const render::TileOptions kOptions{{364, 170}, 2, ui::ColorScheme::light,
                                   ui::RenderingMode::fullColor};

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

void BM_LayoutRenderPngScale2(benchmark::State& state) {
    const ui::View view(Medium{});
    std::string png;
    for (auto _ : state) {
        const auto measurer = render::makeTextMeasurer();
        const ui::LaidOutTile tile = render::layoutForRendering(view, kOptions, *measurer);
        const std::string error = render::encodeTile(tile, render::Format::png, 2, png);
        if (!error.empty()) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(png.data());
    }
    state.counters["png_bytes"] = static_cast<double>(png.size());
}
BENCHMARK(BM_LayoutRenderPngScale2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
