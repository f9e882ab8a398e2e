#include "platform/widgetkit/desk/tile_widget.h"

#include <gtkmm/eventcontrollerkey.h>
#include <gtkmm/gestureclick.h>
#include <gtkmm/gesturelongpress.h>
#include <gtkmm/snapshot.h>

namespace widgetkit::desk {
namespace {

int widthOf(WidgetFamily family) { return static_cast<int>(displaySize(family).width); }
int heightOf(WidgetFamily family) { return static_cast<int>(displaySize(family).height); }

}  // namespace

TileWidget::TileWidget(std::string id, WidgetFamily family, const std::string& problem)
    : Glib::ObjectBase("BrimletDeskTile"), id_(std::move(id)), family_(family) {
    add_css_class("desk-tile");
    set_focusable(true);
    set_size_request(widthOf(family), heightOf(family));
    // A button to assistive technologies: it has a name and does something when activated.
    g_object_set(gobj(), "accessible-role", GTK_ACCESSIBLE_ROLE_BUTTON, nullptr);
    if (!problem.empty()) {
        problem_ = Gtk::make_managed<Gtk::Label>(problem);
        problem_->set_wrap(true);
        problem_->set_max_width_chars(20);
        problem_->set_parent(*this);
        add_css_class("card");
        add_css_class("problem");
        add_css_class("dim-label");
        setAccessibleName(problem);
    }
    addControllers();
}

TileWidget::~TileWidget() {
    if (problem_ != nullptr) problem_->unparent();
    if (menuPopover_ != nullptr) menuPopover_->unparent();
}

void TileWidget::popUpMenu(const Glib::RefPtr<Gio::MenuModel>& menu, double x, double y) {
    if (menuPopover_ == nullptr) {
        menuPopover_ = Gtk::make_managed<Gtk::PopoverMenu>();
        menuPopover_->set_parent(*this);
        menuPopover_->set_has_arrow(false);
    }
    menuPopover_->set_menu_model(menu);
    menuPopover_->set_pointing_to(Gdk::Rectangle(static_cast<int>(x), static_cast<int>(y), 1, 1));
    menuPopover_->popup();
}

void TileWidget::addControllers() {
    auto click = Gtk::GestureClick::create();
    click->set_button(0);
    click->signal_released().connect([this, click = click.get()](int, double, double) {
        if (click->get_current_button() == GDK_BUTTON_PRIMARY) activated_.emit();
    });
    click->signal_pressed().connect([this, click = click.get()](int, double x, double y) {
        if (click->get_current_button() == GDK_BUTTON_SECONDARY) menu_.emit(x, y);
    });
    add_controller(click);
    auto press = Gtk::GestureLongPress::create();
    press->set_touch_only(false);
    press->signal_pressed().connect([this](double x, double y) { menu_.emit(x, y); });
    add_controller(press);
    auto keys = Gtk::EventControllerKey::create();
    keys->signal_key_pressed().connect(sigc::mem_fun(*this, &TileWidget::onKey), false);
    add_controller(keys);
}

bool TileWidget::onKey(guint keyval, guint, Gdk::ModifierType state) {
    const bool shift = (state & Gdk::ModifierType::SHIFT_MASK) == Gdk::ModifierType::SHIFT_MASK;
    if (keyval == GDK_KEY_Menu || (keyval == GDK_KEY_F10 && shift)) {
        menu_.emit(get_width() / 2.0, get_height() / 2.0);
        return true;
    }
    if (keyval == GDK_KEY_Return || keyval == GDK_KEY_KP_Enter || keyval == GDK_KEY_ISO_Enter ||
        keyval == GDK_KEY_space) {
        activated_.emit();
        return true;
    }
    return false;
}

void TileWidget::show(const DrawnTile& tile, const std::string& accessibleName) {
    tile_.texture = tile.texture;
    tile_.surface = tile.surface;
    setAccessibleName(accessibleName);
    queue_draw();
}

void TileWidget::setAccessibleName(const std::string& name) {
    Glib::Value<Glib::ustring> value;
    value.init(Glib::Value<Glib::ustring>::value_type());
    value.set(name);
    update_property(Gtk::Accessible::Property::LABEL, value);
}

void TileWidget::snapshot_vfunc(const Glib::RefPtr<Gtk::Snapshot>& snapshot) {
    if (problem_ != nullptr) {
        snapshot_child(*problem_, snapshot);
        return;
    }
    if (!tile_.texture) return;
    // The texture's pixels land one to one on the display's: the tile is family size in points
    // and the texture family size × scale in pixels.
    const int width = get_width(), height = get_height();
    GtkNative* native = gtk_widget_get_native(gobj());
    if (tile_.surface && native != nullptr &&
        GSK_IS_CAIRO_RENDERER(gtk_native_get_renderer(native))) {
        // GTK 4.8's cairo renderer converts a texture's every pixel to floats and back on each
        // frame; the same pixels painted from a cairo surface are copied as they are.
        const graphene_rect_t bounds =
            GRAPHENE_RECT_INIT(0, 0, static_cast<float>(width), static_cast<float>(height));
        const auto cr = snapshot->append_cairo(&bounds);
        cairo_t* c = cr->cobj();
        cairo_scale(c, static_cast<double>(width) / tile_.texture->get_width(),
                    static_cast<double>(height) / tile_.texture->get_height());
        cairo_set_source_surface(c, tile_.surface.get(), 0, 0);
        cairo_paint(c);
        return;
    }
    snapshot->append_texture(tile_.texture, Gdk::Rectangle(0, 0, width, height));
}

void TileWidget::measure_vfunc(Gtk::Orientation orientation, int, int& minimum, int& natural,
                               int& minimumBaseline, int& naturalBaseline) const {
    minimum = natural =
        orientation == Gtk::Orientation::HORIZONTAL ? widthOf(family_) : heightOf(family_);
    minimumBaseline = naturalBaseline = -1;
}

void TileWidget::size_allocate_vfunc(int width, int height, int baseline) {
    if (problem_ != nullptr)
        problem_->size_allocate(Gtk::Allocation(0, 0, width, height), baseline);
    if (menuPopover_ != nullptr) menuPopover_->present();
}

}  // namespace widgetkit::desk
