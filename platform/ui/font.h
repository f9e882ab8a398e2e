#pragma once
// Fonts as values: a point size, a weight, a design and whether digits are tabular. The text
// styles carry the desktop sizes (caption 10 regular ... title2 17); every font renders with the
// system face (Inter).

#include <string_view>

namespace ui {

struct Font {
    enum class Weight { ultraLight, thin, light, regular, medium, semibold, bold, heavy, black };
    enum class Design { standard, rounded, monospaced, serif };
    // The named style a font came from; `custom` for Font::system(size, ...).
    enum class TextStyle {
        custom,
        largeTitle,
        title,
        title2,
        title3,
        headline,
        body,
        callout,
        subheadline,
        footnote,
        caption,
        caption2,
    };

    double pointSize = 13;
    Weight fontWeight = Weight::regular;
    Design design = Design::standard;
    // True when digits use tabular (fixed-width) figures: OpenType feature `tnum`.
    bool monospacedDigits = false;
    TextStyle textStyle = TextStyle::body;

    // The system font at `size` points (size > 0).
    static constexpr Font system(double size, Weight weight = Weight::regular,
                                 Design design = Design::standard) {
        return Font{size, weight, design, false, TextStyle::custom};
    }
    // The same font with another weight.
    constexpr Font weight(Weight w) const {
        Font f = *this;
        f.fontWeight = w;
        return f;
    }
    constexpr Font bold() const { return weight(Weight::bold); }
    // The same font with tabular digits; letters keep their proportional widths.
    constexpr Font monospacedDigit() const {
        Font f = *this;
        f.monospacedDigits = true;
        return f;
    }

    static const Font largeTitle;
    static const Font title;
    static const Font title2;
    static const Font title3;
    static const Font headline;
    static const Font body;
    static const Font callout;
    static const Font subheadline;
    static const Font footnote;
    static const Font caption;
    static const Font caption2;

    friend constexpr bool operator==(const Font&, const Font&) = default;
};

inline constexpr Font Font::largeTitle{26, Weight::regular, Design::standard, false,
                                       TextStyle::largeTitle};
inline constexpr Font Font::title{22, Weight::regular, Design::standard, false, TextStyle::title};
inline constexpr Font Font::title2{17, Weight::regular, Design::standard, false, TextStyle::title2};
inline constexpr Font Font::title3{15, Weight::regular, Design::standard, false, TextStyle::title3};
inline constexpr Font Font::headline{13, Weight::bold, Design::standard, false,
                                     TextStyle::headline};
inline constexpr Font Font::body{13, Weight::regular, Design::standard, false, TextStyle::body};
inline constexpr Font Font::callout{12, Weight::regular, Design::standard, false,
                                    TextStyle::callout};
inline constexpr Font Font::subheadline{11, Weight::regular, Design::standard, false,
                                        TextStyle::subheadline};
inline constexpr Font Font::footnote{10, Weight::regular, Design::standard, false,
                                     TextStyle::footnote};
inline constexpr Font Font::caption{10, Weight::regular, Design::standard, false,
                                    TextStyle::caption};
inline constexpr Font Font::caption2{10, Weight::medium, Design::standard, false,
                                     TextStyle::caption2};

// Names as written in the laid-out tree's JSON ("semibold", "caption2", ...).
std::string_view name(Font::Weight weight);
std::string_view name(Font::Design design);
std::string_view name(Font::TextStyle style);

}  // namespace ui
