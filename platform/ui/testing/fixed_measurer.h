#pragma once
// A TextMeasurer for tests: every character (code point) is `advanceAt10` points wide at size 10,
// scaled linearly with the font size, plus the tracking; a line is 1.3 x size high. Independent
// of installed fonts.

#include <string_view>

#include "platform/ui/text_measurer.h"

namespace ui::testing {

class FixedMeasurer final : public TextMeasurer {
public:
    explicit FixedMeasurer(double advanceAt10 = 6) : advance_(advanceAt10) {}

    double width(std::string_view text, const Font& font, double tracking) const override;
    double lineHeight(const Font& font) const override { return 1.3 * font.pointSize; }

    // Number of code points in `text`.
    static double characters(std::string_view text);

private:
    double advance_;
};

}  // namespace ui::testing
