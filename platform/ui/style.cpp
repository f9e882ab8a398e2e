#include "platform/ui/style.h"

#include <array>

#include "platform/foundation/system_colors.h"
#include "platform/ui/font.h"

namespace ui {

namespace {
constexpr RGBA rgb255(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0, 1.0}; }
}  // namespace

RGBA accentColor(ColorScheme scheme) {
    const foundation::SrgbColor c = foundation::systemAccent(scheme == ColorScheme::dark);
    return {c.red, c.green, c.blue, 1.0};
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

// The names of each enum's values, in their order of declaration in font.h.
constexpr std::array<std::string_view, 9> kWeightNames{
    "ultraLight", "thin", "light", "regular", "medium", "semibold", "bold", "heavy", "black"};
constexpr std::array<std::string_view, 4> kDesignNames{"default", "rounded", "monospaced", "serif"};
constexpr std::array<std::string_view, 12> kTextStyleNames{
    "custom", "largeTitle", "title",       "title2",   "title3",  "headline",
    "body",   "callout",    "subheadline", "footnote", "caption", "caption2"};

// The name of `value`, or `fallback` for a value outside the enum's declared ones.
template <class Enum, std::size_t N>
std::string_view nameIn(const std::array<std::string_view, N>& names, Enum value,
                        std::string_view fallback) {
    const auto index = static_cast<std::size_t>(value);
    return index < N ? names[index] : fallback;
}

std::string_view name(Font::Weight weight) { return nameIn(kWeightNames, weight, "regular"); }
std::string_view name(Font::Design design) { return nameIn(kDesignNames, design, "default"); }
std::string_view name(Font::TextStyle style) { return nameIn(kTextStyleNames, style, "custom"); }

}  // namespace ui
