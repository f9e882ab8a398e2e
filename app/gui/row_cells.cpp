#include "app/gui/row_cells.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <optional>

#include "app/gui/accessible_text.h"
#include "app/gui/palette.h"

namespace brimlet::gui {
namespace {

constexpr int kSwatch = 12, kSwatchGap = 10;  // the name's swatch, and the space after it
constexpr int kBarGap = 3, kBar = 6;          // the size's bar under its text
constexpr float kDimmed = 0.55F;              // Adwaita's "dim-label" opacity

// One line's height per font: every cell of the list shares the first answer until the font
// changes, so measuring a row never lays out text.
int lineHeightOf(PangoContext* context) {
    struct Free {
        void operator()(PangoFontDescription* font) const { pango_font_description_free(font); }
    };
    static std::unique_ptr<PangoFontDescription, Free> font;
    static int height = 0;
    const PangoFontDescription* wanted = pango_context_get_font_description(context);
    if (!font || !pango_font_description_equal(font.get(), wanted)) {
        PangoFontMetrics* metrics = pango_context_get_metrics(context, wanted, nullptr);
        const int units =
            pango_font_metrics_get_ascent(metrics) + pango_font_metrics_get_descent(metrics);
        pango_font_metrics_unref(metrics);
        height = (units + PANGO_SCALE - 1) / PANGO_SCALE;
        font.reset(pango_font_description_copy(wanted));
    }
    return height;
}

// The text attributes the theme gives a cell (tabular figures for "numeric"), as GTK puts them
// on the layouts it makes: read once for each kind of cell.
PangoAttrList* themeAttributes(GtkWidget* cell, bool numeric) {
    struct Unref {
        void operator()(PangoAttrList* list) const { pango_attr_list_unref(list); }
    };
    static std::unique_ptr<PangoAttrList, Unref> plain, figures;
    auto& kept = numeric ? figures : plain;
    if (!kept) {
        PangoLayout* layout = gtk_widget_create_pango_layout(cell, nullptr);
        PangoAttrList* attributes = pango_layout_get_attributes(layout);
        kept.reset(attributes != nullptr ? pango_attr_list_ref(attributes) : pango_attr_list_new());
        g_object_unref(layout);
    }
    return kept.get();
}

void fillRounded(const Glib::RefPtr<Gtk::Snapshot>& snapshot, const graphene_rect_t& box,
                 float radius, const Gdk::RGBA& color) {
    GskRoundedRect rounded;
    gsk_rounded_rect_init_from_rect(&rounded, &box, radius);
    gtk_snapshot_push_rounded_clip(snapshot->gobj(), &rounded);
    snapshot->append_color(color, &box);
    snapshot->pop();
}

Gdk::RGBA rgba(const Rgb& c) {
    return Gdk::RGBA(static_cast<float>(c.red), static_cast<float>(c.green),
                     static_cast<float>(c.blue));
}

}  // namespace

TextCell::TextCell(const Gtk::Widget& fonts, float xalign, bool numeric)
    : Glib::ObjectBase("BrimletTextCell"), fonts_(&fonts), xalign_(xalign), numeric_(numeric) {
    property_accessible_role() = Gtk::Accessible::Role::LABEL;
    if (numeric) add_css_class("numeric");
}

void TextCell::setText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    laidOut_ = false;
    setAccessibleLabel(*this, text_);
    queue_draw();
}

void TextCell::setDim(bool dim) {
    if (dim == dim_) return;
    dim_ = dim;
    queue_draw();
}

Gtk::SizeRequestMode TextCell::get_request_mode_vfunc() const {
    return Gtk::SizeRequestMode::CONSTANT_SIZE;
}

int TextCell::lineHeight() const {
    return lineHeightOf(gtk_widget_get_pango_context(const_cast<GtkWidget*>(fonts_->gobj())));
}

Gdk::RGBA TextCell::foreground() {
    GdkRGBA colour;
    gtk_style_context_get_color(gtk_widget_get_style_context(gobj()), &colour);
    return Gdk::RGBA(&colour);
}

void TextCell::measure_vfunc(Gtk::Orientation orientation, int, int& minimum, int& natural,
                             int& minimumBaseline, int& naturalBaseline) const {
    // Across, the column's width rules: the figures' columns have fixed widths.
    minimum = natural = orientation == Gtk::Orientation::VERTICAL ? lineHeight() : 0;
    minimumBaseline = naturalBaseline = -1;
}

PangoLayout* TextCell::layout(int width, bool ellipsize) {
    if (!layout_) {
        // On the font source's context, which follows its font's changes.
        layout_.reset(
            pango_layout_new(gtk_widget_get_pango_context(const_cast<GtkWidget*>(fonts_->gobj()))));
        pango_layout_set_attributes(layout_.get(), themeAttributes(gobj(), numeric_));
        pango_layout_set_single_paragraph_mode(layout_.get(), TRUE);
    }
    if (!laidOut_) {
        pango_layout_set_text(layout_.get(), text_.data(), static_cast<int>(text_.size()));
        laidOut_ = true;
    }
    pango_layout_set_ellipsize(layout_.get(),
                               ellipsize ? PANGO_ELLIPSIZE_END : PANGO_ELLIPSIZE_NONE);
    pango_layout_set_width(layout_.get(), ellipsize ? std::max(width, 0) * PANGO_SCALE : -1);
    return layout_.get();
}

void TextCell::drawText(const Glib::RefPtr<Gtk::Snapshot>& snapshot, double x, double y, int width,
                        int height, bool ellipsize) {
    if (text_.empty() || width <= 0) return;
    PangoLayout* laid = layout(width, ellipsize);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(laid, &w, &h);
    const double align = get_direction() == Gtk::TextDirection::RTL ? 1 - xalign_ : xalign_;
    const graphene_point_t at{static_cast<float>(std::floor(x + std::max(0, width - w) * align)),
                              static_cast<float>(std::floor(y + (height - h) / 2.0))};
    const Gdk::RGBA colour = foreground();
    snapshot->save();
    gtk_snapshot_translate(snapshot->gobj(), &at);
    // As the theme dims a whole label: an alpha in the text's own colour is not drawn.
    if (dim_) snapshot->push_opacity(kDimmed);
    gtk_snapshot_append_layout(snapshot->gobj(), laid, colour.gobj());
    if (dim_) snapshot->pop();
    snapshot->restore();
}

void TextCell::snapshot_vfunc(const Glib::RefPtr<Gtk::Snapshot>& snapshot) {
    drawText(snapshot, 0, 0, get_width(), get_height(), false);
}

NameCell::NameCell(const Gtk::Widget& fonts)
    : Glib::ObjectBase("BrimletNameCell"), TextCell(fonts, 0, false) {}

void NameCell::set(const std::string& name, FileKind kind) {
    if (kind != kind_) {
        kind_ = kind;
        queue_draw();
    }
    setText(name);
}

void NameCell::measure_vfunc(Gtk::Orientation orientation, int, int& minimum, int& natural,
                             int& minimumBaseline, int& naturalBaseline) const {
    // Across: the swatch and about an ellipsis' width, as a label that ellipsizes asks for.
    const int line = lineHeight();
    minimum = natural = orientation == Gtk::Orientation::VERTICAL ? std::max(line, kSwatch)
                                                                  : kSwatch + kSwatchGap + line;
    minimumBaseline = naturalBaseline = -1;
}

void NameCell::snapshot_vfunc(const Glib::RefPtr<Gtk::Snapshot>& snapshot) {
    const int width = get_width(), height = get_height();
    const bool rtl = get_direction() == Gtk::TextDirection::RTL;
    const int top = (height - kSwatch) / 2;  // on a whole pixel, so its edges stay crisp
    const graphene_rect_t swatch{
        {rtl ? static_cast<float>(width - kSwatch) : 0.0F, static_cast<float>(top)},
        {kSwatch, kSwatch}};
    fillRounded(snapshot, swatch, 3, rgba(kindColor(kind_, isDark(foreground()))));
    drawText(snapshot, rtl ? 0 : kSwatch + kSwatchGap, 0, width - kSwatch - kSwatchGap, height,
             true);
}

SizeCell::SizeCell(const Gtk::Widget& fonts)
    : Glib::ObjectBase("BrimletSizeCell"), TextCell(fonts, 0, true) {}

void SizeCell::set(const std::string& size, double share) {
    const double shown = std::isfinite(share) ? std::clamp(share, 0.0, 1.0) : 0.0;
    if (shown != share_) {
        share_ = shown;
        queue_draw();
    }
    setText(size);
}

void SizeCell::measure_vfunc(Gtk::Orientation orientation, int, int& minimum, int& natural,
                             int& minimumBaseline, int& naturalBaseline) const {
    minimum = natural =
        orientation == Gtk::Orientation::VERTICAL ? lineHeight() + kBarGap + kBar : 0;
    minimumBaseline = naturalBaseline = -1;
}

bool SizeCell::onSelectedRow() const {
    for (const Gtk::Widget* w = this; w != nullptr; w = w->get_parent()) {
        if ((w->get_state_flags() & Gtk::StateFlags::SELECTED) == Gtk::StateFlags::SELECTED) {
            return true;
        }
    }
    return false;
}

void SizeCell::snapshot_vfunc(const Glib::RefPtr<Gtk::Snapshot>& snapshot) {
    const int width = get_width(), line = lineHeight();
    drawText(snapshot, 0, 0, width, line, false);
    const Gdk::RGBA fg = foreground();
    const float y = static_cast<float>(line + kBarGap), radius = kBar / 2.0F;
    Gdk::RGBA track = fg;
    track.set_alpha(0.1F);
    fillRounded(snapshot, {{0, y}, {static_cast<float>(width), kBar}}, radius, track);
    // A sliver of any non-zero share stays visible.
    const double fill = share_ > 0 ? std::max<double>(kBar, share_ * width) : 0;
    if (fill <= 0) return;
    // On a selected row (the accent behind it) the bar takes the row's text colour. The row's
    // state is not passed down to its cells; its colour is, which redraws the bar.
    Gdk::RGBA colour = fg;
    if (onSelectedRow()) {
        colour.set_alpha(0.9F);
    } else {
        colour = rgba(accentColor(isDark(fg)));
    }
    fillRounded(snapshot, {{0, y}, {static_cast<float>(fill), kBar}}, radius, colour);
}

}  // namespace brimlet::gui
