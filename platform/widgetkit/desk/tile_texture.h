#pragma once
// A widget entry drawn as a GDK texture, by the same renderer and with the same pixels as
// `brimlet-widgets render`.

#include <gtk/gtk.h>

#include <string>

#include "platform/ui/environment.h"
#include "platform/widgetkit/configuration.h"

namespace widgetkit::desk {

struct TileLook {
    int scale = 1;  // device pixels per point: the display's
    ui::ColorScheme appearance = ui::ColorScheme::light;
    ui::RenderingMode rendering = ui::RenderingMode::fullColor;
};

// The entry's content laid out in `family`'s tile and drawn at `look.scale`; the texture is
// family size × scale pixels. nullptr on failure, with `error` saying why. The caller owns the
// texture.
GdkTexture* drawTile(const AnyEntry& entry, WidgetFamily family, const TileLook& look,
                     std::string& error);

}  // namespace widgetkit::desk
