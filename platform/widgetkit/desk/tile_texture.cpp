#include "platform/widgetkit/desk/tile_texture.h"

#include "platform/widgetkit/host/widget_tile.h"

namespace widgetkit::desk {

GdkTexture* drawTile(const AnyEntry& entry, WidgetFamily family, const TileLook& look,
                     std::string& error) {
    const render::TileOptions options =
        host::tileFor(family, look.scale, look.appearance, look.rendering);
    render::TilePixels pixels;
    const foundation::Status status =
        entry.content ? render::renderTilePixels(entry.content(), options, pixels,
                                                 host::environmentFor(family))
                      : foundation::Status::failure("the entry has no content");
    if (!status) {
        error = status.message();
        return nullptr;
    }
    // The buffer moves into the GBytes, which frees it with the texture.
    auto* owned = new std::vector<unsigned char>(std::move(pixels.data));
    GBytes* bytes = g_bytes_new_with_free_func(
        owned->data(), owned->size(),
        [](gpointer data) { delete static_cast<std::vector<unsigned char>*>(data); }, owned);
    // GDK_MEMORY_DEFAULT is cairo's ARGB32: native-endian words with premultiplied alpha.
    GdkTexture* texture = gdk_memory_texture_new(pixels.width, pixels.height, GDK_MEMORY_DEFAULT,
                                                 bytes, static_cast<gsize>(pixels.stride));
    g_bytes_unref(bytes);
    return texture;
}

}  // namespace widgetkit::desk
