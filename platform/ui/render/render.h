#pragma once
// Drawing laid-out widget tiles to PNG, SVG and PDF, and text measurement with the system font
// (Inter, through pango). The only part of the toolkit that uses cairo and pango; neither shows
// in this header.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/status.h"
#include "platform/ui/environment.h"
#include "platform/ui/layout.h"
#include "platform/ui/text_measurer.h"
#include "platform/ui/view.h"

namespace render {

enum class Format { png, svg, pdf, json };

// The format named by a path's extension (".png", ".svg", ".pdf", ".json", any case), or
// nullopt for anything else.
std::optional<Format> formatForPath(std::string_view path);

struct TileOptions {
    // The tile in points: small 170 x 170, medium 364 x 170, large 364 x 382.
    ui::Size size{170, 170};
    // Device pixels per point for PNG (> 0); also sets a Divider's one-pixel thickness.
    double scale = 2;
    ui::ColorScheme appearance = ui::ColorScheme::light;
    ui::RenderingMode renderingMode = ui::RenderingMode::fullColor;
    // Draws the tile as a placeholder that is still waiting for its answer: every text as a
    // rounded bar of its secondary colour (see redact()), everything else as laid out. False
    // leaves every output exactly as without the option.
    bool redacted = false;
};

// Replaces each text leaf of `tile` by a "Redacted" node holding one capsule per drawn line:
// as wide as the text's frame, 0.6 of a line high and centred on the line, filled with the
// text's own paint at half its alpha (the secondary level). Shapes, images, dividers and
// backgrounds are kept as they are; afterwards the tree has no text leaf.
void redact(ui::LaidOutTile& tile);

// What a screen reader says for `tile`: the composed texts of its text leaves in drawing order
// (the container background's first), empty ones left out, texts that share a row of an HStack
// (no other stack between) joined by a space into one phrase.
std::vector<std::string> tileTexts(const ui::LaidOutTile& tile);

// A TextMeasurer backed by pango with the Inter face: tabular figures (`tnum`) for monospaced
// digits, letter spacing for tracking, unhinted metrics so widths do not depend on the scale.
// Not thread-safe: use one per thread.
std::unique_ptr<ui::TextMeasurer> makeTextMeasurer();

// Lays `view` out as a tile (see ui::layoutTile) with the pango measurer, redacted when the
// options say so.
ui::LaidOutTile layoutForRendering(const ui::View& view, const TileOptions& options,
                                   const ui::TextMeasurer& measurer,
                                   ui::EnvironmentValues environment = {});

// Encodes a laid-out tile in `format` into `out` (replacing its contents). PNG is drawn at
// `scale` device pixels per point; SVG and PDF are in points.
foundation::Status encodeTile(const ui::LaidOutTile& tile, Format format, double scale,
                              std::string& out);

// A tile drawn into memory: cairo's ARGB32 layout (32-bit native-endian words, alpha
// premultiplied; B, G, R, A bytes on a little-endian machine), `stride` bytes from one row to the
// next.
struct TilePixels {
    int width = 0;
    int height = 0;
    int stride = 0;
    std::vector<unsigned char> data;
    // The drawn tile's texts (tileTexts()); empty for a redacted one.
    std::vector<std::string> texts;
};

// Lays out and draws `view` as a tile at `options.scale` device pixels per point into `out`, the
// same pixels that renderTile writes to a PNG with the same options. A failure leaves `out` empty.
foundation::Status renderTilePixels(const ui::View& view, const TileOptions& options,
                                    TilePixels& out, ui::EnvironmentValues environment = {});

// Encodes pixels in the TilePixels layout as a PNG into `out` (replacing its contents), with the
// encoder of the PNG tiles.
foundation::Status encodePixelsPng(const TilePixels& pixels, std::string& out);

// Lays out and draws `view` as a tile into `path`, the format chosen by the extension. The
// bytes go to a temporary file in the same folder that is renamed into place, so a failure
// never leaves a partial file.
foundation::Status renderTile(const ui::View& view, const TileOptions& options,
                              const std::string& path, ui::EnvironmentValues environment = {});

}  // namespace render
