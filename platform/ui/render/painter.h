#pragma once
// Draws a laid-out tile on a cairo context whose user space is in points.

#include <cairo.h>

#include "platform/ui/layout.h"
#include "platform/ui/render/pango_text.h"

namespace render::detail {

// Clips to the tile's rounded rectangle, paints the container background full bleed (or, in
// accented rendering, the dark neutral tile with a wash of the tint), then the content.
void paintTile(cairo_t* cr, const ui::LaidOutTile& tile, const PangoText& text);

}  // namespace render::detail
