#pragma once
// How a host draws a widget's entry: the tile of its family, and the environment its views read.
// Header-only, for the hosts that link the renderer (the command line and the desk); the
// display-free host model does not.

#include "platform/ui/render/render.h"
#include "platform/widgetkit/environment.h"
#include "platform/widgetkit/family.h"

namespace widgetkit::host {

// The tile of `family` at `scale` pixels per point, in `appearance` and `rendering`.
inline render::TileOptions tileFor(WidgetFamily family, double scale, ui::ColorScheme appearance,
                                   ui::RenderingMode rendering) {
    const DisplaySize size = displaySize(family);
    render::TileOptions tile;
    tile.size = ui::Size{size.width, size.height};
    tile.scale = scale;
    tile.appearance = appearance;
    tile.renderingMode = rendering;
    return tile;
}

// The environment of an entry's views: `widgetFamily` set to the family being drawn.
inline ui::EnvironmentValues environmentFor(WidgetFamily family) {
    ui::EnvironmentValues environment;
    environment.set<WidgetFamilyKey>(family);
    return environment;
}

}  // namespace widgetkit::host
