#pragma once
// The container background both widgets draw behind their content.

#include "platform/ui/ui.h"

namespace brimlet {

// `content` on the platform's background style with a wash of `tint` that fades from the tile's
// top edge to nothing at its bottom edge, drawn behind the margins as the widget's container
// background.
ui::View onWidgetBackground(ui::View content, ui::Color tint);

}  // namespace brimlet
