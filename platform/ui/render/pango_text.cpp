#include "platform/ui/render/pango_text.h"

#include <cmath>

namespace render::detail {

namespace {

constexpr const char* kFamily = "Inter";

PangoWeight pangoWeight(ui::Font::Weight w) {
    using W = ui::Font::Weight;
    switch (w) {
        case W::ultraLight: return PANGO_WEIGHT_ULTRALIGHT;
        case W::thin: return PANGO_WEIGHT_THIN;
        case W::light: return PANGO_WEIGHT_LIGHT;
        case W::regular: return PANGO_WEIGHT_NORMAL;
        case W::medium: return PANGO_WEIGHT_MEDIUM;
        case W::semibold: return PANGO_WEIGHT_SEMIBOLD;
        case W::bold: return PANGO_WEIGHT_BOLD;
        case W::heavy: return PANGO_WEIGHT_ULTRABOLD;
        case W::black: return PANGO_WEIGHT_HEAVY;
    }
    return PANGO_WEIGHT_NORMAL;
}

const char* family(ui::Font::Design d) {
    switch (d) {
        case ui::Font::Design::monospaced: return "monospace";
        case ui::Font::Design::serif: return "serif";
        case ui::Font::Design::standard:
        case ui::Font::Design::rounded: return kFamily;
    }
    return kFamily;
}

int pangoUnits(double points) { return static_cast<int>(std::lround(points * PANGO_SCALE)); }

std::string cacheKey(std::string_view text, const ui::Font& font, double tracking) {
    std::string key;
    key.reserve(text.size() + 48);
    key += std::to_string(font.pointSize);
    key += '|';
    key += std::to_string(static_cast<int>(font.fontWeight));
    key += std::to_string(static_cast<int>(font.design));
    key += font.monospacedDigits ? 'T' : 'P';
    key += std::to_string(tracking);
    key += '|';
    key.append(text);
    return key;
}

}  // namespace

PangoText::PangoText() {
    // The default font map is per thread and keeps its loaded faces, so later contexts are cheap.
    context_.reset(pango_font_map_create_context(pango_cairo_font_map_get_default()));
    pango_cairo_context_set_resolution(context_.get(), 72);
    const CairoFontOptions options(cairo_font_options_create());
    cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(context_.get(), options.get());
    pango_context_set_round_glyph_positions(context_.get(), FALSE);
    // A line's direction comes from its first strong character outside any isolate, as the
    // Unicode bidirectional algorithm finds it (fribidi), left to right when it has none. Pango's
    // own guess (auto-dir) looks inside isolates, so a right-to-left name isolated in "%@ free"
    // would turn the whole line and move "free" to its left.
    pango_context_set_base_dir(context_.get(), PANGO_DIRECTION_WEAK_LTR);
}

GObject<PangoLayout> PangoText::makeLayout(std::string_view text, const ui::Font& font,
                                           double tracking) const {
    GObject<PangoLayout> layout(pango_layout_new(context_.get()));
    const PangoFont desc(pango_font_description_new());
    pango_font_description_set_family(desc.get(), family(font.design));
    pango_font_description_set_weight(desc.get(), pangoWeight(font.fontWeight));
    pango_font_description_set_absolute_size(desc.get(), font.pointSize * PANGO_SCALE);
    pango_layout_set_font_description(layout.get(), desc.get());

    const PangoAttributes attrs(pango_attr_list_new());
    if (font.monospacedDigits) {
        pango_attr_list_insert(attrs.get(), pango_attr_font_features_new("tnum=1"));
    }
    if (tracking != 0) {
        pango_attr_list_insert(attrs.get(), pango_attr_letter_spacing_new(pangoUnits(tracking)));
    }
    pango_layout_set_attributes(layout.get(), attrs.get());
    pango_layout_set_single_paragraph_mode(layout.get(), TRUE);
    pango_layout_set_auto_dir(layout.get(), FALSE);
    pango_layout_set_text(layout.get(), text.data(), static_cast<int>(text.size()));
    return layout;
}

double PangoText::width(std::string_view text, const ui::Font& font, double tracking) const {
    if (text.empty()) return 0;
    std::string key = cacheKey(text, font, tracking);
    if (auto it = widths_.find(key); it != widths_.end()) return it->second;
    const auto layout = makeLayout(text, font, tracking);
    PangoRectangle logical;
    pango_layout_get_extents(layout.get(), nullptr, &logical);
    const double w = static_cast<double>(logical.width) / PANGO_SCALE;
    if (widths_.size() > 4096) widths_.clear();
    widths_.emplace(std::move(key), w);
    return w;
}

double PangoText::lineHeight(const ui::Font& font) const {
    std::string key = cacheKey("\n", font, 0);
    if (auto it = widths_.find(key); it != widths_.end()) return it->second;
    const auto layout = makeLayout("Hg", font, 0);
    PangoRectangle logical;
    pango_layout_get_extents(layout.get(), nullptr, &logical);
    const double h = static_cast<double>(logical.height) / PANGO_SCALE;
    widths_.emplace(std::move(key), h);
    return h;
}

}  // namespace render::detail
