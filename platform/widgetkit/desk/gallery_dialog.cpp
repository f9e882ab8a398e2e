#include "platform/widgetkit/desk/gallery_dialog.h"

#include <gtkmm/button.h>
#include <gtkmm/label.h>

#include <string>

#include "platform/foundation/localization.h"

namespace widgetkit::desk {
namespace {

std::string familyTitle(WidgetFamily family) {
    switch (family) {
        case WidgetFamily::systemSmall: return foundation::localizedFormat("Small");
        case WidgetFamily::systemMedium: return foundation::localizedFormat("Medium");
        case WidgetFamily::systemLarge: return foundation::localizedFormat("Large");
        case WidgetFamily::systemExtraLarge: return foundation::localizedFormat("Extra Large");
        default: return foundation::localizedFormat("Accessory");
    }
}

}  // namespace

std::unique_ptr<GalleryDialog> GalleryDialog::create(Gtk::Window& parent,
                                                     const TupleWidget& widgets,
                                                     const TileLook& look, Place place) {
    const auto builder =
        Gtk::Builder::create_from_resource("/org/brimlet/Brimlet/Desk/gallery_dialog.ui");
    std::unique_ptr<GalleryDialog> dialog(Gtk::Builder::get_widget_derived<GalleryDialog>(
        builder, "gallery-dialog", widgets, look, std::move(place)));
    dialog->set_transient_for(parent);
    return dialog;
}

GalleryDialog::GalleryDialog(BaseObjectType* object, const Glib::RefPtr<Gtk::Builder>& builder,
                             const TupleWidget& widgets, const TileLook& look, Place place)
    : Gtk::Window(object), look_(look), place_(std::move(place)) {
    auto* list = builder->get_widget<Gtk::Box>("widgets");
    for (const auto& widget : widgets) {
        auto* section = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 4);
        auto* name = Gtk::make_managed<Gtk::Label>(widget.displayName());
        name->add_css_class("title-3");
        name->set_xalign(0);
        auto* description = Gtk::make_managed<Gtk::Label>(widget.descriptionText());
        description->add_css_class("dim-label");
        description->set_xalign(0);
        description->set_wrap(true);
        section->append(*name);
        section->append(*description);
        auto* row = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 24);
        row->set_margin_top(12);
        for (const auto family : widget.families()) row->append(familyCell(widget, family));
        section->append(*row);
        list->append(*section);
    }
}

Gtk::Widget& GalleryDialog::familyCell(const WidgetConfiguration& widget, WidgetFamily family) {
    auto* cell = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 8);
    cell->set_valign(Gtk::Align::START);
    auto* picture = Gtk::make_managed<Gtk::Picture>();
    picture->set_can_shrink(true);
    picture->set_content_fit(Gtk::ContentFit::FILL);
    picture->set_size_request(static_cast<int>(displaySize(family).width),
                              static_cast<int>(displaySize(family).height));
    const std::string caption = familyTitle(family);
    picture->set_alternative_text(widget.displayName() + ", " + caption);
    preview(widget, family, *picture);
    auto* label = Gtk::make_managed<Gtk::Label>(caption);
    label->add_css_class("caption");
    auto* add = Gtk::make_managed<Gtk::Button>(foundation::localizedFormat("Add Widget"));
    add->set_halign(Gtk::Align::CENTER);
    add->add_css_class("pill");
    add->signal_clicked().connect([this, &widget, family] {
        place_(widget, family);
        close();
    });
    cell->append(*picture);
    cell->append(*label);
    cell->append(*add);
    return *cell;
}

// The preview is asked and drawn off the main thread; the texture is made on it.
void GalleryDialog::preview(const WidgetConfiguration& widget, WidgetFamily family,
                            Gtk::Picture& picture) {
    const TimelineProviderContext context{true, family, displaySize(family)};
    runInBackground(
        lifetime_, [&widget, context] { return widget.operations().snapshot(context, {}); },
        [this, family, &picture](std::optional<AnyEntry> entry) {
            DrawnTile drawn;
            const auto status = entry ? drawTile(*entry, family, look_, false, drawn)
                                      : foundation::Status::failure("the preview failed");
            if (status) {
                picture.set_paintable(drawn.texture);
            } else {
                picture.set_tooltip_text(status.message());
            }
        });
}

}  // namespace widgetkit::desk
