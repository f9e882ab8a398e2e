#include "platform/ui/render/render.h"
#include "platform/ui/render/png_encoder.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "platform/foundation/file.h"
#include "platform/ui/layout_json.h"
#include "platform/ui/render/handles.h"
#include "platform/ui/render/painter.h"
#include "platform/ui/render/pango_text.h"

namespace render {

namespace {

// Largest PNG side in device pixels: far beyond any tile, small enough never to exhaust memory.
constexpr double kMaxPixels = 16384;

cairo_status_t appendToString(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

foundation::Status cairoError(cairo_status_t status) {
    return foundation::Status::failure(std::string("cairo: ") + cairo_status_to_string(status));
}

// Draws on `surface` (user space in points after `scale`) and finishes it.
foundation::Status drawOn(cairo_surface_t* surface, const ui::LaidOutTile& tile, double scale,
                          const detail::PangoText& text) {
    {
        const detail::CairoContext cr(cairo_create(surface));
        cairo_scale(cr.get(), scale, scale);
        detail::paintTile(cr.get(), tile, text);
        if (const cairo_status_t status = cairo_status(cr.get()); status != CAIRO_STATUS_SUCCESS) {
            return cairoError(status);
        }
    }
    cairo_surface_flush(surface);
    return {};
}

// Draws the tile on a new ARGB32 image surface of its size at `scale`, held by `surface`.
foundation::Status drawImage(const ui::LaidOutTile& tile, double scale,
                             const detail::PangoText& text, detail::CairoSurface& surface) {
    const double w = tile.size.width;
    const double h = tile.size.height;
    if (!(scale > 0) || w * scale > kMaxPixels || h * scale > kMaxPixels) {
        return foundation::Status::failure(
            "the scale must be above 0 and keep the picture under 16384 pixels a side");
    }
    const int pw = static_cast<int>(std::lround(w * scale));
    const int ph = static_cast<int>(std::lround(h * scale));
    surface.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pw, ph));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return cairoError(cairo_surface_status(surface.get()));
    }
    return drawOn(surface.get(), tile, scale, text);
}

foundation::Status checkScale(double scale) {
    if (scale > 0 && std::isfinite(scale)) return {};
    return foundation::Status::failure("the scale must be above 0");
}

}  // namespace

std::optional<Format> formatForPath(std::string_view path) {
    const auto dot = path.rfind('.');
    const auto slash = path.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
        return std::nullopt;
    }
    std::string ext(path.substr(dot + 1));
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == "png") return Format::png;
    if (ext == "svg") return Format::svg;
    if (ext == "pdf") return Format::pdf;
    if (ext == "json") return Format::json;
    return std::nullopt;
}

std::unique_ptr<ui::TextMeasurer> makeTextMeasurer() {
    return std::make_unique<detail::PangoMeasurer>();
}

ui::LaidOutTile layoutForRendering(const ui::View& view, const TileOptions& options,
                                   const ui::TextMeasurer& measurer,
                                   ui::EnvironmentValues environment) {
    ui::TileLayoutOptions layout;
    layout.size = options.size;
    layout.colorScheme = options.appearance;
    layout.renderingMode = options.renderingMode;
    layout.displayScale = options.scale;
    return ui::layoutTile(view, layout, measurer, std::move(environment));
}

static foundation::Status encodeWith(const ui::LaidOutTile& tile, Format format, double scale,
                                     const detail::PangoText& text, std::string& out) {
    out.clear();
    const double w = tile.size.width;
    const double h = tile.size.height;
    if (!(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h)) {
        return foundation::Status::failure("the tile has no area");
    }
    if (format == Format::json) {
        auto json = ui::toJson(tile);
        if (!json)
            return foundation::Status::failure("the laid-out tree holds text that is not UTF-8");
        out = std::move(*json);
        out += '\n';
        return {};
    }
    if (format == Format::png) {
        detail::CairoSurface surface;
        foundation::Status status = drawImage(tile, scale, text, surface);
        if (status) status = detail::encodePng(surface.get(), out);
        if (!status) out.clear();
        return status;
    }
    const detail::CairoSurface surface(
        format == Format::svg ? cairo_svg_surface_create_for_stream(appendToString, &out, w, h)
                              : cairo_pdf_surface_create_for_stream(appendToString, &out, w, h));
    foundation::Status status;
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        status = cairoError(cairo_surface_status(surface.get()));
    } else {
        status = drawOn(surface.get(), tile, 1, text);
        cairo_surface_finish(surface.get());
        if (status && cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
            status = cairoError(cairo_surface_status(surface.get()));
        }
    }
    if (!status) out.clear();
    return status;
}

foundation::Status encodeTile(const ui::LaidOutTile& tile, Format format, double scale,
                              std::string& out) {
    const detail::PangoText text;
    return encodeWith(tile, format, scale, text, out);
}

foundation::Status renderTilePixels(const ui::View& view, const TileOptions& options,
                                    TilePixels& out, ui::EnvironmentValues environment) {
    out = TilePixels{};
    if (foundation::Status status = checkScale(options.scale); !status) return status;
    // Measured and drawn as renderTile does, so the pixels are those of its PNG.
    const detail::PangoText text;
    const detail::PangoMeasurer measurer(text);
    const ui::LaidOutTile tile =
        layoutForRendering(view, options, measurer, std::move(environment));
    const double w = tile.size.width;
    const double h = tile.size.height;
    if (!(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h)) {
        return foundation::Status::failure("the tile has no area");
    }
    detail::CairoSurface surface;
    foundation::Status status = drawImage(tile, options.scale, text, surface);
    if (status) {
        out.width = cairo_image_surface_get_width(surface.get());
        out.height = cairo_image_surface_get_height(surface.get());
        out.stride = cairo_image_surface_get_stride(surface.get());
        const unsigned char* data = cairo_image_surface_get_data(surface.get());
        out.data.assign(data, data + static_cast<std::size_t>(out.stride) *
                                         static_cast<std::size_t>(out.height));
    }
    return status;
}

foundation::Status encodePixelsPng(const TilePixels& pixels, std::string& out) {
    out.clear();
    if (pixels.width <= 0 || pixels.height <= 0 ||
        pixels.stride != cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, pixels.width) ||
        pixels.data.size() <
            static_cast<std::size_t>(pixels.stride) * static_cast<std::size_t>(pixels.height)) {
        return foundation::Status::failure("the pixels do not form an ARGB32 picture");
    }
    // The encoder only reads; cairo's surface merely describes the caller's buffer.
    const detail::CairoSurface surface(cairo_image_surface_create_for_data(
        const_cast<unsigned char*>(pixels.data.data()), CAIRO_FORMAT_ARGB32, pixels.width,
        pixels.height, pixels.stride));
    foundation::Status status = cairo_surface_status(surface.get()) == CAIRO_STATUS_SUCCESS
                                    ? detail::encodePng(surface.get(), out)
                                    : cairoError(cairo_surface_status(surface.get()));
    if (!status) out.clear();
    return status;
}

foundation::Status renderTile(const ui::View& view, const TileOptions& options,
                              const std::string& path, ui::EnvironmentValues environment) {
    const auto format = formatForPath(path);
    if (!format) {
        return foundation::Status::failure("unsupported output format for " + path +
                                           " (use .png, .svg, .pdf or .json)");
    }
    if (foundation::Status status = checkScale(options.scale); !status) return status;
    // One pango context measures and draws, so both see the same widths.
    const detail::PangoText text;
    const detail::PangoMeasurer measurer(text);
    const ui::LaidOutTile tile =
        layoutForRendering(view, options, measurer, std::move(environment));
    std::string bytes;
    if (foundation::Status status = encodeWith(tile, *format, options.scale, text, bytes);
        !status) {
        return status;
    }
    return foundation::writeFileAtomically(path, bytes);
}

}  // namespace render
