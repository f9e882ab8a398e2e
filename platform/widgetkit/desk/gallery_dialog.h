#pragma once
// The widget gallery ("Add Widget…"), a dialog transient for the desk: every widget of the bundle
// with its name and description, each family drawn as a preview (the snapshot request with
// isPreview, asked off the main thread), and a button that places it.

#include <gtkmm/box.h>
#include <gtkmm/builder.h>
#include <gtkmm/picture.h>
#include <gtkmm/window.h>

#include <functional>
#include <memory>

#include "platform/widgetkit/configuration.h"
#include "platform/widgetkit/desk/background.h"
#include "platform/widgetkit/desk/tile_texture.h"

namespace widgetkit::desk {

class GalleryDialog : public Gtk::Window {
public:
    using Place = std::function<void(const WidgetConfiguration&, WidgetFamily)>;

    // `widgets` must live as long as the process. `place` places the chosen widget; the dialog
    // closes after it.
    static std::unique_ptr<GalleryDialog> create(Gtk::Window& parent, const TupleWidget& widgets,
                                                 const TileLook& look, Place place);

    GalleryDialog(BaseObjectType* object, const Glib::RefPtr<Gtk::Builder>& builder,
                  const TupleWidget& widgets, const TileLook& look, Place place);

private:
    Gtk::Widget& familyCell(const WidgetConfiguration& widget, WidgetFamily family);
    void preview(const WidgetConfiguration& widget, WidgetFamily family, Gtk::Picture& picture);

    TileLook look_;
    Place place_;
    Lifetime lifetime_;
};

}  // namespace widgetkit::desk
