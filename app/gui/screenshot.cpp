#include "app/gui/screenshot.h"

#include <cairomm/context.h>
#include <cairomm/surface.h>
#include <gtk/gtk.h>
#include <gtkmm/snapshot.h>
#include <gtkmm/widgetpaintable.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/foundation/file.h"

namespace brimlet::gui {
namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))
        ->append(reinterpret_cast<const char*>(data), length);
}

void flushNothing(png_structp) {}

// One row of premultiplied native-endian ARGB32 (cairo's image format, and GDK's default memory
// format) as straight RGBA bytes.
void straightRow(const unsigned char* source, std::size_t width, unsigned char* row) {
    for (std::size_t x = 0; x < width; ++x, source += 4, row += 4) {
        std::uint32_t pixel = 0;
        std::memcpy(&pixel, source, 4);
        const unsigned a = pixel >> 24;
        unsigned r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
        if (a != 0 && a != 255) {
            r = std::min(255u, (r * 255 + a / 2) / a);
            g = std::min(255u, (g * 255 + a / 2) / a);
            b = std::min(255u, (b * 255 + a / 2) / a);
        }
        row[0] = static_cast<unsigned char>(r);
        row[1] = static_cast<unsigned char>(g);
        row[2] = static_cast<unsigned char>(b);
        row[3] = static_cast<unsigned char>(a);
    }
}

struct Pixels {
    const unsigned char* data;
    std::size_t width, height, stride;  // stride in bytes
};

// libpng reports an error by a long jump back into this frame, so it holds nothing with a
// destructor: the caller owns every object. False when libpng failed.
bool writeRows(png_structp png, png_infop info, const Pixels& pixels, unsigned char* row,
               std::string* out) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, out, appendBytes, flushNothing);
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_IHDR(png, info, static_cast<png_uint_32>(pixels.width),
                 static_cast<png_uint_32>(pixels.height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    png_write_info(png, info);
    for (std::size_t y = 0; y < pixels.height; ++y) {
        straightRow(pixels.data + y * pixels.stride, pixels.width, row);
        png_write_row(png, row);
    }
    png_write_end(png, info);
    return true;
}

// The pixels as a PNG at zlib level 1 without row filters, as the desk and the tiles write
// theirs: GDK's own writer (level 6, every filter tried) takes several times as long for a
// window's worth of pixels, which the window's start and scan figures would carry. The encoder
// of the tiles lives in the renderer, which app/ may not include.
foundation::Status encodePng(const Pixels& pixels, std::string& out) {
    std::vector<unsigned char> row(pixels.width * 4);
    struct Encoder {
        png_structp png = nullptr;
        png_infop info = nullptr;
        ~Encoder() { png_destroy_write_struct(&png, info != nullptr ? &info : nullptr); }
    } encoder;
    encoder.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (encoder.png != nullptr) encoder.info = png_create_info_struct(encoder.png);
    if (encoder.info == nullptr) return foundation::Status::failure("cannot start PNG encoding");
    if (!writeRows(encoder.png, encoder.info, pixels, row.data(), &out))
        return foundation::Status::failure("PNG encoding failed");
    return {};
}

// `node` drawn by `renderer` over `width` × `height` device pixels, as a PNG. The cairo
// renderer draws a node with gsk_render_node_draw into an image surface and copies that into a
// texture, which a download would copy once more: here the node is drawn the same way into one
// surface that is encoded where it lies, so the picture costs one window of pixels, not three.
foundation::Status renderPng(GskRenderer* renderer, GskRenderNode* node, int width, int height,
                             std::string& out) {
    if (GSK_IS_CAIRO_RENDERER(renderer)) {
        const auto surface =
            Cairo::ImageSurface::create(Cairo::Surface::Format::ARGB32, width, height);
        gsk_render_node_draw(node, Cairo::Context::create(surface)->cobj());
        surface->flush();
        return encodePng(Pixels{surface->get_data(), static_cast<std::size_t>(width),
                                static_cast<std::size_t>(height),
                                static_cast<std::size_t>(surface->get_stride())},
                         out);
    }
    const graphene_rect_t viewport =
        GRAPHENE_RECT_INIT(0, 0, static_cast<float>(width), static_cast<float>(height));
    const auto texture = Glib::wrap(gsk_renderer_render_texture(renderer, node, &viewport));
    const auto w = static_cast<std::size_t>(texture->get_width());
    const auto h = static_cast<std::size_t>(texture->get_height());
    std::vector<unsigned char> pixels(w * h * 4);
    texture->download(pixels.data(), w * 4);
    return encodePng(Pixels{pixels.data(), w, h, w * 4}, out);
}

}  // namespace

foundation::Status writeWindowPng(Gtk::Window& window, const std::string& path, bool& drawn) {
    drawn = window.get_mapped();
    if (!drawn) return foundation::Status::failure("the window is not on screen");
    const int scale = std::max(1, window.get_scale_factor());
    const auto paintable = Gtk::WidgetPaintable::create(window);
    // The paintable's own size: the window with its frame, nothing scaled.
    const int w = paintable->get_intrinsic_width();
    const int h = paintable->get_intrinsic_height();
    drawn = w > 0 && h > 0;
    if (!drawn) return foundation::Status::failure("the window has no size");
    const auto snapshot = Gtk::Snapshot::create();
    snapshot->scale(static_cast<float>(scale), static_cast<float>(scale));
    paintable->snapshot(snapshot, w, h);
    // gtkmm 4.8 wraps neither the render node nor the renderer: the C calls, with the node owned
    // by the guard below and the texture by its RefPtr.
    GskRenderNode* node = gtk_snapshot_to_node(snapshot->gobj());
    drawn = node != nullptr;
    if (!drawn) return foundation::Status::failure("the window drew nothing");
    const std::unique_ptr<GskRenderNode, decltype(&gsk_render_node_unref)> nodeGuard(
        node, &gsk_render_node_unref);
    GskRenderer* renderer = gtk_native_get_renderer(GTK_NATIVE(window.gobj()));
    if (renderer == nullptr) return foundation::Status::failure("the window is not realized");
    std::string png;
    if (auto status = renderPng(renderer, node, w * scale, h * scale, png); !status) return status;
    return foundation::writeFileAtomically(path, png);
}

}  // namespace brimlet::gui
