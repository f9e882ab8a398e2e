#pragma once
// The breakdown widget's content and its empty state.

#include "extension/breakdown/breakdown_entry.h"
#include "platform/ui/ui.h"

namespace brimlet {

// The breakdown of one entry: a header (a small ring, the resolved title, the snapshot's free
// space) over "Biggest folders", and in the large family also "By kind" after a divider. Shows
// EmptyState when there is no snapshot or no folder to list. The family comes from the host's
// environment (widgetkit::WidgetFamilyKey), not from the caller.
struct BreakdownView {
    BreakdownEntry entry;

    ui::View body() const;

private:
    static ui::View header(const DiskSnapshot& snapshot, const std::string& title);
    static ui::View medium(const DiskSnapshot& snapshot, const BreakdownEntry::Resolved& content);
    static ui::View large(const DiskSnapshot& snapshot, const BreakdownEntry::Resolved& content);
};

// A centred prompt to run a scan in the containing app.
struct EmptyState {
    ui::View body() const;
};

}  // namespace brimlet
