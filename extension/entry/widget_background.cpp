#include "extension/entry/widget_background.h"

namespace brimlet {

ui::View onWidgetBackground(ui::View content, ui::Color tint) {
    const ui::View wash = ui::View(ui::LinearGradient(ui::Gradient{{tint, ui::Color::clear}},
                                                      ui::UnitPoint::top, ui::UnitPoint::bottom))
                              .background(ui::background, ui::Edge::Set::all);
    return ui::Group(std::move(content))
        .containerBackground(ui::ContainerBackgroundPlacement::widget, ui::Alignment::center, wash);
}

}  // namespace brimlet
