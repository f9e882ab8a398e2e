// The yardstick for brimlet-desk: a bare GTK 4 window that shows one picture, with nothing of
// Brimlet in it. `--screenshot FILE.png` writes the window's pixels after its first frame, the
// way the desk does, and exits, so that both are timed from exec to the same point.
//
//   desk_bare_window PICTURE.png [--screenshot FILE.png]

#include <gtk/gtk.h>

#include <cstdio>
#include <string>

namespace {

struct State {
    std::string picture;
    std::string screenshot;
    GtkWidget* window = nullptr;
    bool written = false;
};

void writeScreenshot(State& s) {
    GdkPaintable* paintable = gtk_widget_paintable_new(s.window);
    const int w = gdk_paintable_get_intrinsic_width(paintable);
    const int h = gdk_paintable_get_intrinsic_height(paintable);
    GtkSnapshot* snapshot = gtk_snapshot_new();
    gdk_paintable_snapshot(paintable, snapshot, w, h);
    GskRenderNode* node = gtk_snapshot_free_to_node(snapshot);
    g_object_unref(paintable);
    if (node != nullptr) {
        const graphene_rect_t viewport =
            GRAPHENE_RECT_INIT(0, 0, static_cast<float>(w), static_cast<float>(h));
        GdkTexture* texture = gsk_renderer_render_texture(
            gtk_native_get_renderer(GTK_NATIVE(s.window)), node, &viewport);
        gsk_render_node_unref(node);
        gdk_texture_save_to_png(texture, s.screenshot.c_str());
        g_object_unref(texture);
    }
    gtk_window_destroy(GTK_WINDOW(s.window));
}

void activate(GtkApplication* app, State* s) {
    s->window = gtk_application_window_new(app);
    gtk_window_set_title(GTK_WINDOW(s->window), "Bare window");
    GtkWidget* picture = gtk_picture_new_for_filename(s->picture.c_str());
    gtk_picture_set_can_shrink(GTK_PICTURE(picture), FALSE);
    gtk_window_set_child(GTK_WINDOW(s->window), picture);
    gtk_window_present(GTK_WINDOW(s->window));
    if (s->screenshot.empty()) return;
    g_signal_connect_swapped(gtk_widget_get_frame_clock(s->window), "after-paint",
                             G_CALLBACK(+[](State* state) {
                                 if (state->written) return;
                                 state->written = true;
                                 writeScreenshot(*state);
                             }),
                             s);
}

}  // namespace

int main(int argc, char** argv) {
    State state;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--screenshot" && i + 1 < argc) {
            state.screenshot = argv[++i];
        } else {
            state.picture = a;
        }
    }
    if (state.picture.empty()) {
        std::fputs("usage: desk_bare_window PICTURE.png [--screenshot FILE.png]\n", stderr);
        return 2;
    }
    GtkApplication* app =
        gtk_application_new("org.brimlet.Brimlet.BareWindow", G_APPLICATION_NON_UNIQUE);
    g_signal_connect(app, "activate", G_CALLBACK(activate), &state);
    const int status = g_application_run(G_APPLICATION(app), 0, nullptr);
    g_object_unref(app);
    return status;
}
