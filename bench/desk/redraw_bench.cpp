// What the desk does to redraw its tiles after a snapshot change, in process: each of four
// placed widgets' first timeline entry laid out and drawn into memory (render::renderTilePixels,
// the pixels it hands GTK as a texture). Fullness small and medium, breakdown medium and large,
// with the preview sample as the shared snapshot; scale 1 (Xvfb) and 2 (a HiDPI display).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "extension/entry/bundle.h"
#include "extension/shared/disk_snapshot.h"
#include "extension/shared/identifiers.h"
#include "platform/foundation/testing.h"
#include "platform/ui/render/render.h"
#include "platform/widgetkit/environment.h"
#include "platform/widgetkit/host/widget_requests.h"

namespace {

namespace fs = std::filesystem;

void RedrawFourTiles(benchmark::State& state) {
    const fs::path root = fs::temp_directory_path() / "brimlet-redraw-bench";
    fs::create_directories(root / brimlet::kAppGroupIdentifier);
    {
        std::ofstream(root / brimlet::kAppGroupIdentifier / brimlet::kSnapshotFileName)
            << brimlet::DiskSnapshot::preview().encode().value_or("{}");
    }
    const foundation::testing::ScopedContainerRoot container(root.string());
    const widgetkit::TupleWidget widgets = brimlet::BrimletWidgetBundle{}.body();
    const std::string fullness = std::string(brimlet::kBundleIdentifier) + ".fullness";
    const std::string breakdown = std::string(brimlet::kBundleIdentifier) + ".breakdown";
    const std::vector<widgetkit::host::PlacedWidget> placed{
        {"1", fullness, widgetkit::WidgetFamily::systemSmall, {}},
        {"2", fullness, widgetkit::WidgetFamily::systemMedium, {}},
        {"3", breakdown, widgetkit::WidgetFamily::systemMedium, {}},
        {"4", breakdown, widgetkit::WidgetFamily::systemLarge, {}},
    };
    std::vector<std::pair<widgetkit::AnyEntry, widgetkit::WidgetFamily>> entries;
    for (const auto& p : placed) {
        const auto request = widgetkit::host::resolvePlaced(widgets, p);
        entries.emplace_back(
            widgetkit::host::answer(widgetkit::host::RequestKind::timeline, request)
                .entries.front(),
            p.family);
    }
    const double scale = static_cast<double>(state.range(0));
    for (auto _ : state) {
        for (const auto& [entry, family] : entries) {
            const auto size = widgetkit::displaySize(family);
            render::TileOptions options;
            options.size = ui::Size{size.width, size.height};
            options.scale = scale;
            ui::EnvironmentValues environment;
            environment.set<widgetkit::WidgetFamilyKey>(family);
            render::TilePixels pixels;
            if (!render::renderTilePixels(entry.content(), options, pixels, environment).ok()) {
                state.SkipWithError("a tile could not be drawn");
            }
            benchmark::DoNotOptimize(pixels.data.data());
        }
    }
    fs::remove_all(root);
}
BENCHMARK(RedrawFourTiles)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
