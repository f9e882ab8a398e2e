#pragma once
// How layout learns the size of text. Layout breaks lines, shrinks and truncates by itself and
// asks only for single-line widths, so any measurer (a font engine, or a fixed-advance fake in
// tests) gives the same decisions the renderer later draws.

#include <string_view>

#include "platform/ui/font.h"

namespace ui {

class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;

    // Advance width in points of `text` (UTF-8, no line breaks) set on one line in `font`, with
    // `tracking` extra points after each character. Empty text is 0 wide.
    virtual double width(std::string_view text, const Font& font, double tracking) const = 0;

    // Distance in points from one line's top to the next line's top in `font`.
    virtual double lineHeight(const Font& font) const = 0;
};

}  // namespace ui
