#pragma once
// The fullness widget's content: the small and medium layouts of one DiskEntry.

#include "extension/fullness/provider.h"
#include "platform/ui/ui.h"

namespace brimlet {

// What the fullness widget shows for one entry: MediumView in the medium family, SmallView in
// every other, over a wash of the fullness colour that fades out towards the bottom. The family
// comes from the host's environment (widgetkit::WidgetFamilyKey), not from the caller.
struct BrimletWidgetEntryView {
    DiskEntry entry;

    ui::View body() const;
};

// The ring over all the space the caption leaves, then "<free> free".
struct SmallView {
    DiskEntry entry;

    ui::View body() const;
};

// A 76-point ring, then the volume name, "<free> free" in the fullness colour and
// "<used> of <total> used".
struct MediumView {
    DiskEntry entry;

    ui::View body() const;
};

}  // namespace brimlet
