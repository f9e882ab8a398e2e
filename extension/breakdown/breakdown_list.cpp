#include "extension/breakdown/breakdown_list.h"

#include <algorithm>
#include <cmath>

#include "extension/shared/human_bytes.h"
#include "platform/foundation/unicode.h"

namespace brimlet {
namespace {
constexpr std::size_t kMaxRows = 5;
constexpr double kMinimumFill = 4;
}  // namespace

double barFillWidth(double available, double fraction) {
    const double width = available * fraction;
    // `!(width >= min)` also catches NaN, which std::max would pass through.
    return !(width >= kMinimumFill) ? kMinimumFill : width;
}

// View bodies keep one child a line under their stack, as the views read; the formatter
// would re-indent them by the stack's opening parenthesis.
// clang-format off
ui::View BarRow::body() const {
    return ui::HStack(ui::VerticalAlignment::center, 8, {
        ui::Text::verbatim(name)
            .font(ui::Font::caption)
            .lineLimit(1)
            .truncationMode(ui::TruncationMode::middle)
            .frame(96, std::nullopt, ui::Alignment::leading),
        ui::GeometryReader([fraction = fraction](const ui::GeometryProxy& proxy) {
            return ui::ZStack(ui::Alignment::leading, {
                       ui::Capsule(ui::RoundedCornerStyle::continuous)
                           .fill(ui::quaternary)
                           .frame(std::nullopt, 6),
                       ui::Capsule(ui::RoundedCornerStyle::continuous)
                           .fill(ui::tint)
                           .frame(barFillWidth(proxy.size.width, fraction), 6)
                           .widgetAccentable(true),
                   })
                .frame({.maxHeight = ui::infinity});
        }).frame(std::nullopt, 12),
        ui::Text::verbatim(humanBytes(size))
            .font(ui::Font::caption2)
            .monospacedDigit()
            .foregroundStyle(ui::secondary)
            .frame(56, std::nullopt, ui::Alignment::trailing),
    });
}
// clang-format on

std::vector<BarRow> BreakdownList::rows() const {
    std::int64_t scale = 1;
    for (const auto& item : items) scale = std::max(scale, item.size);
    std::vector<BarRow> out;
    for (std::size_t i = 0; i < items.size() && i < kMaxRows; ++i) {
        out.push_back(BarRow{items[i].name, items[i].size,
                             static_cast<double>(items[i].size) / static_cast<double>(scale)});
    }
    return out;
}

ui::View BreakdownList::body() const {
    std::vector<ui::View> children{
        ui::Text::verbatim(foundation::uppercased(title))
            .font(ui::Font::system(9, ui::Font::Weight::semibold))
            .foregroundStyle(ui::secondary)
            .tracking(0.5),
        ui::ForEach(rows(), [](const BarRow& row) { return row; }),
    };
    return ui::VStack(ui::HorizontalAlignment::leading, 5, std::move(children));
}

}  // namespace brimlet
