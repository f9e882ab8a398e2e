#include "extension/fullness/fullness_ring.h"

#include <cmath>

#include "extension/shared/fullness_colors.h"

namespace brimlet {

ui::Color fullnessColor(double fraction) {
    const foundation::SrgbColor c = fullnessComponents(fraction);
    return ui::Color(ui::RGBColorSpace::sRGB, c.red, c.green, c.blue, 1);
}

std::optional<std::int64_t> roundedPercent(double fraction) {
    // In double, not long double: 0.995 × 100 must round to 100 as it does on screen elsewhere.
    const double percent = std::round(fraction * 100.0);
    // 0x1p63 is exactly 2^63; INT64_MAX would round up to it and let 2^63 through.
    if (!(percent < 0x1p63) || !(percent >= -0x1p63)) return std::nullopt;
    return static_cast<std::int64_t>(percent);
}

ui::View FullnessRing::body() const {
    std::vector<ui::View> layers{
        ui::Circle().stroke(ui::quaternary, lineWidth),
        ui::Circle()
            .trim(0, fraction)
            .stroke(fullnessColor(fraction),
                    ui::StrokeStyle{.lineWidth = lineWidth, .lineCap = ui::LineCap::round})
            .rotationEffect(ui::Angle::degrees(-90))
            .widgetAccentable(true),
    };
    if (showsPercent) {
        // A percentage beyond 64 bits has no digits to show; a dash says so without crashing.
        const auto percent = roundedPercent(fraction);
        ui::Text label = percent ? ui::Text("%lld%%", {*percent}) : ui::Text::verbatim("—");
        layers.push_back(label.font(ui::Font::system(15, ui::Font::Weight::semibold))
                             .monospacedDigit()
                             .contentTransition(ui::ContentTransition::numericText(false))
                             .widgetAccentable(true));
    }
    return ui::ZStack(ui::Alignment::center, std::move(layers));
}

}  // namespace brimlet
