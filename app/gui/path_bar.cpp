#include "app/gui/path_bar.h"
#include "app/gui/accessible_text.h"

#include "app/scan/scan.h"
#include "platform/foundation/drawn_name.h"
#include "platform/foundation/localization.h"

namespace brimlet::gui {

PathBar::PathBar() : Gtk::Box(Gtk::Orientation::HORIZONTAL, 2) {
    add_css_class("path-bar");
    setAccessibleLabel(*this, foundation::localizedFormat("Folder path"));
}

void PathBar::show(const std::vector<const Folder*>& trail, const std::string& rootPath) {
    while (Gtk::Widget* child = get_first_child()) remove(*child);
    for (std::size_t i = 0; i < trail.size(); ++i) {
        const Folder* folder = trail[i];
        const std::string name =
            foundation::drawnName(i == 0 ? rootNameOf(rootPath) : folder->name);
        if (i > 0) {
            auto* separator = Gtk::make_managed<Gtk::Image>();
            separator->set_from_icon_name("go-next-symbolic");
            separator->add_css_class("dim-label");
            separator->set_pixel_size(12);
            append(*separator);
        }
        auto* button = Gtk::make_managed<Gtk::Button>();
        auto* label = Gtk::make_managed<Gtk::Label>(name);
        label->set_ellipsize(Pango::EllipsizeMode::MIDDLE);
        label->set_max_width_chars(24);
        button->set_child(*label);
        setAccessibleLabel(*button, name);
        button->add_css_class("flat");
        const bool current = i + 1 == trail.size();
        if (current) {
            button->add_css_class("current");
            button->set_can_target(false);
        }
        button->set_tooltip_text(
            current ? foundation::localizedFormat("The folder shown")
                    : foundation::formatLocalized(foundation::localizedFormat("Go to %@"), {name}));
        button->signal_clicked().connect([this, folder] { signalGo.emit(folder); });
        append(*button);
    }
}

}  // namespace brimlet::gui
