#include "extension/fullness/fullness_views.h"

#include "extension/entry/widget_background.h"
#include "extension/fullness/fullness_ring.h"
#include "extension/shared/human_bytes.h"
#include "platform/widgetkit/environment.h"

namespace brimlet {

ui::View BrimletWidgetEntryView::body() const {
    const auto family = ui::readEnvironment<widgetkit::WidgetFamilyKey>();
    const double fraction = entry.sample.usedFraction;
    const ui::View content = family == widgetkit::WidgetFamily::systemMedium
                                 ? ui::View(MediumView{entry})
                                 : ui::View(SmallView{entry});
    return onWidgetBackground(content, fullnessColor(fraction).opacity(0.1));
}

// View bodies keep one child a line under their stack, as the views read; the formatter
// would re-indent them by the stack's opening parenthesis.
// clang-format off
ui::View SmallView::body() const {
    const VolumeSample& s = entry.sample;
    return ui::VStack(ui::HorizontalAlignment::center, 8, {
        ui::View(FullnessRing{s.usedFraction, 9, true})
            .frame({.maxWidth = ui::infinity, .maxHeight = ui::infinity}),
        ui::Text("%@ free", {humanBytes(s.free)})
            .font(ui::Font::caption)
            .foregroundStyle(ui::secondary)
            .lineLimit(1)
            .minimumScaleFactor(0.8),
    });
}

ui::View MediumView::body() const {
    const VolumeSample& s = entry.sample;
    return ui::HStack(ui::VerticalAlignment::center, 16, {
        ui::View(FullnessRing{s.usedFraction, 10, true}).frame(76, 76),
        ui::VStack(ui::HorizontalAlignment::leading, 4, {
            ui::Text::verbatim(s.volumeName).font(ui::Font::headline).lineLimit(1),
            ui::Text("%@ free", {humanBytes(s.free)})
                .font(ui::Font::subheadline.weight(ui::Font::Weight::medium))
                .foregroundStyle(fullnessColor(s.usedFraction)),
            ui::Text("%@ of %@ used", {humanBytes(s.used), humanBytes(s.total)})
                .font(ui::Font::caption)
                .foregroundStyle(ui::secondary)
                .lineLimit(1)
                .minimumScaleFactor(0.8),
        }),
        ui::Spacer(0),
    });
}
// clang-format on

}  // namespace brimlet
