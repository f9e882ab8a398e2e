#include "platform/ui/testing/fixed_measurer.h"

namespace ui::testing {

double FixedMeasurer::characters(std::string_view text) {
    double n = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) n += 1;
    }
    return n;
}

double FixedMeasurer::width(std::string_view text, const Font& font, double tracking) const {
    const double n = characters(text);
    return n * (advance_ * font.pointSize / 10.0 + tracking);
}

}  // namespace ui::testing
