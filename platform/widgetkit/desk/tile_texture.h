#pragma once
// A widget entry drawn as a GDK texture, by the same renderer and with the same pixels as
// `brimlet-widgets render`.

#include <cairo.h>
#include <gdkmm/texture.h>

#include <memory>

#include <string>
#include <vector>

#include "platform/foundation/status.h"
#include "platform/ui/environment.h"
#include "platform/ui/render/render.h"
#include "platform/widgetkit/configuration.h"

namespace widgetkit::desk {

struct TileLook {
    int scale = 1;  // device pixels per point: the display's
    ui::ColorScheme appearance = ui::ColorScheme::light;
    ui::RenderingMode rendering = ui::RenderingMode::fullColor;

    friend bool operator==(const TileLook&, const TileLook&) = default;
};

struct DrawnTile {
    Glib::RefPtr<Gdk::Texture> texture;  // family size × scale pixels
    // The texture's pixels as a cairo image surface, for GTK's cairo renderer (see TileWidget).
    std::shared_ptr<cairo_surface_t> surface;
    // The laid-out view's texts in drawing order; empty when redacted.
    std::vector<std::string> texts;
};

// The entry's content laid out in `family`'s tile and drawn at `look.scale`, redacted (every text
// a rounded bar) when asked. A failure leaves `tile` as it was and says why.
// Pixels drawn elsewhere (a request's thread) as a tile.
DrawnTile tileFromPixels(render::TilePixels pixels);

foundation::Status drawTile(const AnyEntry& entry, WidgetFamily family, const TileLook& look,
                            bool redacted, DrawnTile& tile);

}  // namespace widgetkit::desk
