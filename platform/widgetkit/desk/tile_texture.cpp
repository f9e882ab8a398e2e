#include "platform/widgetkit/desk/tile_texture.h"

#include <gdkmm/memorytexture.h>
#include <glibmm/bytes.h>

#include "platform/widgetkit/host/widget_tile.h"

namespace widgetkit::desk {

foundation::Status drawTile(const AnyEntry& entry, WidgetFamily family, const TileLook& look,
                            bool redacted, DrawnTile& tile) {
    if (!entry.content) return foundation::Status::failure("the entry has no content");
    render::TileOptions options =
        host::tileFor(family, look.scale, look.appearance, look.rendering);
    options.redacted = redacted;
    render::TilePixels pixels;
    foundation::Status status =
        render::renderTilePixels(entry.content(), options, pixels, host::environmentFor(family));
    if (!status) return status;
    tile = tileFromPixels(std::move(pixels));
    return {};
}

DrawnTile tileFromPixels(render::TilePixels pixels) {
    DrawnTile tile;
    // The buffer moves into the bytes, which free it with the texture.
    auto* owned = new std::vector<unsigned char>(std::move(pixels.data));
    const auto bytes = Glib::wrap(g_bytes_new_with_free_func(
        owned->data(), owned->size(),
        [](gpointer data) { delete static_cast<std::vector<unsigned char>*>(data); }, owned));
    // DEFAULT is cairo's ARGB32: native-endian words with premultiplied alpha.
    tile.texture =
        Gdk::MemoryTexture::create(pixels.width, pixels.height, Gdk::MemoryTexture::DEFAULT_FORMAT,
                                   bytes, static_cast<gsize>(pixels.stride));
    // The same buffer seen by cairo; the surface holds the bytes for as long as it lives, which
    // may be longer than the texture (a render node keeps it).
    static cairo_user_data_key_t bytesKey;
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        owned->data(), CAIRO_FORMAT_ARGB32, pixels.width, pixels.height, pixels.stride);
    if (cairo_surface_set_user_data(surface, &bytesKey, g_bytes_ref(bytes->gobj()), [](void* data) {
            g_bytes_unref(static_cast<GBytes*>(data));
        }) != CAIRO_STATUS_SUCCESS) {
        g_bytes_unref(bytes->gobj());
    }
    tile.surface.reset(surface, &cairo_surface_destroy);
    tile.texts = std::move(pixels.texts);
    return tile;
}

}  // namespace widgetkit::desk
