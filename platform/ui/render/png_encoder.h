#pragma once
// PNG encoding of a cairo image surface, tuned for widget tiles.
//
// cairo's own writer compresses at zlib level 6 and tries every row filter, which costs four
// times what drawing the tile does. Tiles are flat colours and antialiased edges: zlib level 1
// with no row filter makes files only a few per cent larger, several times faster.

#include <string>

#include "platform/foundation/status.h"

using cairo_surface_t = struct _cairo_surface;  // NOLINT(bugprone-reserved-identifier): cairo's

namespace render::detail {

// Appends the PNG of `surface` (an ARGB32 image surface, premultiplied) to `out`, straight
// (non-premultiplied) RGBA, 8 bits a channel.
foundation::Status encodePng(cairo_surface_t* surface, std::string& out);

}  // namespace render::detail
