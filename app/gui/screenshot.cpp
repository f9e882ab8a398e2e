#include "app/gui/screenshot.h"

#include <gtk/gtk.h>
#include <gtkmm/snapshot.h>
#include <gtkmm/widgetpaintable.h>

#include <algorithm>
#include <memory>

#include "platform/foundation/file.h"

namespace brimlet::gui {

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
    const graphene_rect_t viewport =
        GRAPHENE_RECT_INIT(0, 0, static_cast<float>(w * scale), static_cast<float>(h * scale));
    const auto texture = Glib::wrap(gsk_renderer_render_texture(renderer, node, &viewport));
    const auto png = texture->save_to_png_bytes();
    gsize size = 0;
    const auto* data = static_cast<const char*>(png->get_data(size));
    return foundation::writeFileAtomically(path, std::string_view(data, size));
}

}  // namespace brimlet::gui
