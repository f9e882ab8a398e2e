#include "extension/breakdown/breakdown_view.h"

#include "extension/breakdown/breakdown_list.h"
#include "extension/entry/widget_background.h"
#include "extension/fullness/fullness_ring.h"
#include "extension/shared/human_bytes.h"
#include "platform/widgetkit/environment.h"

namespace brimlet {

ui::View BreakdownView::body() const {
    ui::View content = ui::View(EmptyState{});
    if (entry.snapshot) {
        // Resolved once per render, not once per child.
        if (const auto resolved = entry.resolved(); resolved && !resolved->folders.empty()) {
            const auto family = ui::readEnvironment<widgetkit::WidgetFamilyKey>();
            content = family == widgetkit::WidgetFamily::systemLarge
                          ? large(*entry.snapshot, *resolved)
                          : medium(*entry.snapshot, *resolved);
        }
    }
    return onWidgetBackground(content, ui::Color::accentColor.opacity(0.08));
}

// View bodies keep one child a line under their stack, as the views read; the formatter
// would re-indent them by the stack's opening parenthesis.
// clang-format off
ui::View BreakdownView::header(const DiskSnapshot& snapshot, const std::string& title) {
    return ui::HStack(ui::VerticalAlignment::center, 8, {
        ui::View(FullnessRing{snapshot.usedFraction, 6, false})
            .frame(26, 26, ui::Alignment::center),
        ui::VStack(ui::HorizontalAlignment::leading, 1, {
            ui::Text::verbatim(title)
                .font(ui::Font::subheadline.weight(ui::Font::Weight::semibold))
                .lineLimit(1)
                .truncationMode(ui::TruncationMode::middle),
            ui::Text("%@ free", {humanBytes(snapshot.free)})
                .font(ui::Font::caption2)
                .foregroundStyle(ui::secondary),
        }),
        ui::Spacer(0),
    });
}

ui::View BreakdownView::medium(const DiskSnapshot& snapshot,
                               const BreakdownEntry::Resolved& content) {
    return ui::VStack(ui::HorizontalAlignment::leading, 8, {
        header(snapshot, content.title),
        ui::View(BreakdownList{"Biggest folders", content.folders}),
        ui::Spacer(0),
    });
}

ui::View BreakdownView::large(const DiskSnapshot& snapshot,
                              const BreakdownEntry::Resolved& content) {
    std::vector<ui::View> children{
        header(snapshot, content.title),
        ui::View(BreakdownList{"Biggest folders", content.folders}),
    };
    if (!content.kinds.empty()) {
        children.push_back(ui::Divider());
        children.push_back(ui::View(BreakdownList{"By kind", content.kinds}));
    }
    children.push_back(ui::Spacer(0));
    return ui::VStack(ui::HorizontalAlignment::leading, 10, std::move(children));
}

ui::View EmptyState::body() const {
    return ui::VStack(ui::HorizontalAlignment::center, 6, {
                          ui::Image("chart.pie").font(ui::Font::title2).foregroundStyle(ui::tint),
                          ui::Text("Open Brimlet to scan")
                              .font(ui::Font::callout.weight(ui::Font::Weight::medium)),
                          ui::Text("Your biggest folders will show here.")
                              .font(ui::Font::caption)
                              .foregroundStyle(ui::secondary)
                              .multilineTextAlignment(ui::TextAlignment::center),
                      })
        .frame({.maxWidth = ui::infinity, .maxHeight = ui::infinity});
}
// clang-format on

}  // namespace brimlet
