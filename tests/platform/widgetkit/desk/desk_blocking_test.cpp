// The desk in this process, over a provider that blocks (a home whose statfs hangs, through the
// volume-query seam): the window keeps answering, takes its screenshot once the request has had
// its time, and the tile shows the placeholder redacted, never the sample's figures.
// Run under Xvfb (see CMakeLists.txt).

#include <gtk/gtk.h>

#include <gtest/gtest.h>

#include <cairo.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "extension/entry/bundle.h"
#include "platform/foundation/testing.h"
#include "platform/ui/render/render.h"
#include "platform/widgetkit/desk/desk_application.h"
#include "platform/widgetkit/host/widget_requests.h"
#include "platform/widgetkit/host/widget_tile.h"
#include "tests/support/scratch.h"

namespace widgetkit::desk {
namespace {

using namespace std::chrono_literals;

// Whether every opaque pixel of `tile` lies at (x, y) in the ARGB32 `screen`.
bool opaqueMatchAt(cairo_surface_t* screen, const render::TilePixels& tile, int x, int y) {
    const int stride = cairo_image_surface_get_stride(screen);
    const unsigned char* data = cairo_image_surface_get_data(screen);
    for (int ty = 0; ty < tile.height; ++ty) {
        for (int tx = 0; tx < tile.width; ++tx) {
            std::uint32_t t = 0, s = 0;
            std::memcpy(&t, &tile.data[static_cast<std::size_t>(ty * tile.stride + tx * 4)], 4);
            if ((t >> 24) != 255) continue;
            std::memcpy(&s, data + (y + ty) * stride + (x + tx) * 4, 4);
            if ((s | 0xff000000u) != t) return false;
        }
    }
    return true;
}

bool contains(cairo_surface_t* screen, const render::TilePixels& tile) {
    const int w = cairo_image_surface_get_width(screen), h = cairo_image_surface_get_height(screen);
    for (int y = 0; y + tile.height <= h; ++y) {
        for (int x = 0; x + tile.width <= w; ++x) {
            if (opaqueMatchAt(screen, tile, x, y)) return true;
        }
    }
    return false;
}

TEST(DeskWithABlockingProvider, ShowsThePlaceholderRedactedAndStillTakesItsScreenshot) {
    if (!gtk_init_check()) GTEST_SKIP() << "no display (run under xvfb-run)";
    const brimlet_test::ScratchDir home;
    ::setenv("HOME", home.path().c_str(), 1);
    ::unsetenv("XDG_STATE_HOME");
    ::unsetenv("XDG_DATA_HOME");
    ::setenv("GTK_A11Y", "none", 1);
    const BundleDeclaration bundle{brimlet::BrimletWidgetBundle{}.body(), "G.none"};
    const auto path = host::PlacedStore::defaultPath();
    ASSERT_TRUE(path);
    const host::PlacedStore store(*path);
    const host::PlacedWidget small{"1", bundle.widgets.front().kind(), WidgetFamily::systemSmall,
                                   std::nullopt};
    (void)store.update([&](host::PlacedWidgets& placed) { placed.widgets = {small}; });

    // The home's volume query hangs until the test ends.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    const foundation::testing::ScopedVolumeQuery hang(
        [released](const std::string&) -> std::optional<foundation::VolumeFigures> {
            released.wait();
            return std::nullopt;
        });

    DeskOptions options;
    options.screenshot = home / "desk.png";
    options.sessionBus = false;
    const auto started = std::chrono::steady_clock::now();
    {
        const auto app = DeskApplication::create(std::make_unique<DeskSession>(bundle), options);
        EXPECT_EQ(app->run(), 0);
        EXPECT_EQ(app->status(), 0);
    }
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, 2s);  // the request had its time (two seconds) before the screenshot
    EXPECT_LT(waited, 20s);

    // What `render --request placeholder --redacted --scale 1` draws for the tile.
    const auto request = host::resolvePlaced(bundle.widgets, small);
    const AnyEntry placeholder = host::answer(host::RequestKind::placeholder, request).entries[0];
    render::TileOptions tile = host::tileFor(WidgetFamily::systemSmall, 1, ui::ColorScheme::light,
                                             ui::RenderingMode::fullColor);
    render::TilePixels redacted, plain;
    tile.redacted = true;
    ASSERT_TRUE(render::renderTilePixels(placeholder.content(), tile, redacted,
                                         host::environmentFor(WidgetFamily::systemSmall)));
    tile.redacted = false;
    ASSERT_TRUE(render::renderTilePixels(placeholder.content(), tile, plain,
                                         host::environmentFor(WidgetFamily::systemSmall)));
    const std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> screen(
        cairo_image_surface_create_from_png((home / "desk.png").c_str()), &cairo_surface_destroy);
    ASSERT_EQ(cairo_surface_status(screen.get()), CAIRO_STATUS_SUCCESS);
    EXPECT_TRUE(contains(screen.get(), redacted));
    EXPECT_FALSE(contains(screen.get(), plain));

    // The hung request returns; its thread is gone before the seam is.
    release.set_value();
    for (int i = 0; i < 500 && DeskSession::running() > 0; ++i) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(DeskSession::running(), 0u);
}

}  // namespace
}  // namespace widgetkit::desk
