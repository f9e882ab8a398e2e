// The widgets end to end, in process, as the host draws them: the family set in the environment,
// the view built from the entry, the pango measurer, PNG at scale 2.
//
//   Layout/<widget>_<family>: layout alone (render::layoutForRendering).
//   LayoutRenderPng/<widget>_<family>: layout, drawing and PNG encoding into a string
//     (render::encodeTile). Targets: medium under 10 ms, large under 15 ms.
//   BreakdownTimeline: the breakdown provider's timeline, i.e. a task on the shared executor that
//     reads and decodes snapshot.json holding the preview sample. Its CPU column counts every
//     thread of the process, the executor's included.
//   PngWriteOnly/<widget>_<family>: the same pixels through cairo's own PNG writer, which the
//     renderer used before it encoded with libpng at level 1; the baseline for that choice.
//
// Fullness tiles show VolumeSample::placeholder(); breakdown tiles the preview snapshot with no
// area configured (the whole disk). One measurer serves every iteration of a benchmark, as one
// thread of the host would reuse it; it is made before timing starts, so the one-time cost of
// setting up fontconfig and the font map is left to the whole-process figures (bench/run.sh).

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "extension/breakdown/breakdown_provider.h"
#include "extension/breakdown/breakdown_view.h"
#include "extension/fullness/fullness_views.h"
#include "extension/shared/disk_snapshot.h"
#include "extension/shared/identifiers.h"
#include "platform/foundation/file.h"
#include "platform/foundation/testing.h"
#include "platform/ui/render/render.h"
#include "platform/widgetkit/environment.h"
#include "platform/widgetkit/family.h"
#include "tests/support/snapshot_home.h"

namespace {

using widgetkit::WidgetFamily;

enum class Widget { fullness, breakdown };

// One tile as the host would draw it: the entry's content view, the tile options of its family
// (light, full colour, scale 2) and an environment holding the family.
struct Tile {
    ui::View view;
    render::TileOptions options;
    ui::EnvironmentValues environment;
};

Tile makeTile(Widget widget, WidgetFamily family) {
    const widgetkit::DisplaySize size = widgetkit::displaySize(family);
    render::TileOptions options;
    options.size = ui::Size{size.width, size.height};
    options.scale = 2;
    ui::EnvironmentValues environment;
    environment.set<widgetkit::WidgetFamilyKey>(family);
    const foundation::Date now = foundation::Date::now();
    if (widget == Widget::fullness) {
        const brimlet::DiskEntry entry{now, brimlet::VolumeSample::placeholder()};
        return {ui::View(brimlet::BrimletWidgetEntryView{entry}), options, environment};
    }
    const brimlet::BreakdownEntry entry{now, brimlet::DiskSnapshot::preview(), std::nullopt};
    return {ui::View(brimlet::BreakdownView{entry}), options, environment};
}

void BM_Layout(benchmark::State& state, Widget widget, WidgetFamily family) {
    const Tile tile = makeTile(widget, family);
    const auto measurer = render::makeTextMeasurer();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            render::layoutForRendering(tile.view, tile.options, *measurer, tile.environment));
    }
}
BENCHMARK_CAPTURE(BM_Layout, fullness_small, Widget::fullness, WidgetFamily::systemSmall)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Layout, fullness_medium, Widget::fullness, WidgetFamily::systemMedium)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Layout, breakdown_medium, Widget::breakdown, WidgetFamily::systemMedium)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Layout, breakdown_large, Widget::breakdown, WidgetFamily::systemLarge)
    ->Unit(benchmark::kMicrosecond);

void BM_LayoutRenderPng(benchmark::State& state, Widget widget, WidgetFamily family) {
    const Tile tile = makeTile(widget, family);
    const auto measurer = render::makeTextMeasurer();
    std::string png;
    for (auto _ : state) {
        const ui::LaidOutTile laidOut =
            render::layoutForRendering(tile.view, tile.options, *measurer, tile.environment);
        const foundation::Status status =
            render::encodeTile(laidOut, render::Format::png, tile.options.scale, png);
        if (!status) {
            state.SkipWithError(status.message().c_str());
            break;
        }
        benchmark::DoNotOptimize(png.data());
    }
    state.counters["png_bytes"] = static_cast<double>(png.size());
}
BENCHMARK_CAPTURE(BM_LayoutRenderPng, fullness_small, Widget::fullness, WidgetFamily::systemSmall)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LayoutRenderPng, fullness_medium, Widget::fullness, WidgetFamily::systemMedium)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LayoutRenderPng, breakdown_medium, Widget::breakdown,
                  WidgetFamily::systemMedium)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LayoutRenderPng, breakdown_large, Widget::breakdown, WidgetFamily::systemLarge)
    ->Unit(benchmark::kMillisecond);

// What PNG encoding alone costs within LayoutRenderPng: the same pixels (the PNG decoded back
// into an image surface) written again with cairo's PNG writer, which encodeTile uses.
void BM_PngWriteOnly(benchmark::State& state, Widget widget, WidgetFamily family) {
    const Tile tile = makeTile(widget, family);
    const auto measurer = render::makeTextMeasurer();
    std::string png;
    const foundation::Status status = render::encodeTile(
        render::layoutForRendering(tile.view, tile.options, *measurer, tile.environment),
        render::Format::png, tile.options.scale, png);
    if (!status) {
        state.SkipWithError(status.message().c_str());
        return;
    }
    struct Reader {
        const std::string* bytes;
        std::size_t at = 0;
    } reader{&png};
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(
        [](void* closure, unsigned char* data, unsigned int length) {
            auto* r = static_cast<Reader*>(closure);
            if (r->bytes->size() - r->at < length) return CAIRO_STATUS_READ_ERROR;
            std::memcpy(data, r->bytes->data() + r->at, length);
            r->at += length;
            return CAIRO_STATUS_SUCCESS;
        },
        &reader);
    const cairo_write_func_t append = [](void* closure, const unsigned char* data,
                                         unsigned int length) {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
        return CAIRO_STATUS_SUCCESS;
    };
    std::string out;
    for (auto _ : state) {
        out.clear();
        if (cairo_surface_write_to_png_stream(surface, append, &out) != CAIRO_STATUS_SUCCESS) {
            state.SkipWithError("cairo could not write the PNG");
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    cairo_surface_destroy(surface);
    state.counters["png_bytes"] = static_cast<double>(out.size());
}
BENCHMARK_CAPTURE(BM_PngWriteOnly, fullness_small, Widget::fullness, WidgetFamily::systemSmall)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PngWriteOnly, fullness_medium, Widget::fullness, WidgetFamily::systemMedium)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PngWriteOnly, breakdown_medium, Widget::breakdown, WidgetFamily::systemMedium)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PngWriteOnly, breakdown_large, Widget::breakdown, WidgetFamily::systemLarge)
    ->Unit(benchmark::kMillisecond);

void BM_BreakdownTimeline(benchmark::State& state) {
    const brimlet_test::SnapshotHome container(
        brimlet::DiskSnapshot::preview().encode().value_or(""));
    if (!container.ok()) {
        state.SkipWithError("could not write the preview snapshot to a temporary folder");
        return;
    }
    const foundation::testing::ScopedContainerRoot root(container.root());
    const brimlet::BreakdownProvider provider;
    const brimlet::SelectAreaIntent intent;
    const widgetkit::TimelineProviderContext context{
        false, WidgetFamily::systemMedium, widgetkit::displaySize(WidgetFamily::systemMedium)};
    for (auto _ : state) {
        const auto timeline = provider.timeline(intent, context).get();
        if (timeline.entries.size() != 1 || !timeline.entries.front().snapshot) {
            state.SkipWithError("the timeline did not read the preview snapshot");
            break;
        }
        benchmark::DoNotOptimize(timeline.entries.front().snapshot->topFolders.data());
    }
}
BENCHMARK(BM_BreakdownTimeline)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
