#include "platform/ui/style.h"

#include "platform/ui/font.h"

namespace ui {

namespace {
constexpr RGBA rgb255(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0, 1.0}; }
}  // namespace

RGBA accentColor(ColorScheme scheme) {
    return scheme == ColorScheme::light ? rgb255(0x00, 0x7A, 0xFF) : rgb255(0x0A, 0x84, 0xFF);
}

RGBA backgroundColor(ColorScheme scheme) {
    return scheme == ColorScheme::light ? rgb255(0xEC, 0xEC, 0xEC) : rgb255(0x32, 0x32, 0x32);
}

RGBA labelColor(ColorScheme scheme, HierarchicalShapeStyle::Level level) {
    using L = HierarchicalShapeStyle::Level;
    const double base = scheme == ColorScheme::light ? 0.0 : 1.0;
    double alpha = 0;
    switch (level) {
        case L::primary: alpha = 0.847; break;
        case L::secondary: alpha = scheme == ColorScheme::light ? 0.498 : 0.549; break;
        case L::tertiary: alpha = scheme == ColorScheme::light ? 0.259 : 0.247; break;
        case L::quaternary: alpha = 0.098; break;
    }
    return {base, base, base, alpha};
}

std::string_view name(Font::Weight weight) {
    using W = Font::Weight;
    switch (weight) {
        case W::ultraLight: return "ultraLight";
        case W::thin: return "thin";
        case W::light: return "light";
        case W::regular: return "regular";
        case W::medium: return "medium";
        case W::semibold: return "semibold";
        case W::bold: return "bold";
        case W::heavy: return "heavy";
        case W::black: return "black";
    }
    return "regular";
}

std::string_view name(Font::Design design) {
    using D = Font::Design;
    switch (design) {
        case D::standard: return "default";
        case D::rounded: return "rounded";
        case D::monospaced: return "monospaced";
        case D::serif: return "serif";
    }
    return "default";
}

std::string_view name(Font::TextStyle style) {
    using S = Font::TextStyle;
    switch (style) {
        case S::custom: return "custom";
        case S::largeTitle: return "largeTitle";
        case S::title: return "title";
        case S::title2: return "title2";
        case S::title3: return "title3";
        case S::headline: return "headline";
        case S::body: return "body";
        case S::callout: return "callout";
        case S::subheadline: return "subheadline";
        case S::footnote: return "footnote";
        case S::caption: return "caption";
        case S::caption2: return "caption2";
    }
    return "custom";
}

}  // namespace ui
