#include "platform/widgetkit/desk/tile_texture.h"

#include "platform/ui/render/render.h"
#include "platform/widgetkit/environment.h"

namespace widgetkit::desk {

GdkTexture* drawTile(const AnyEntry& entry, WidgetFamily family, const TileLook& look,
                     std::string& error) {
    const DisplaySize size = displaySize(family);
    render::TileOptions options;
    options.size = ui::Size{size.width, size.height};
    options.scale = look.scale;
    options.appearance = look.appearance;
    options.renderingMode = look.rendering;
    ui::EnvironmentValues environment;
    environment.set<WidgetFamilyKey>(family);
    render::TilePixels pixels;
    const foundation::Status status =
        entry.content ? render::renderTilePixels(entry.content(), options, pixels, environment)
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
