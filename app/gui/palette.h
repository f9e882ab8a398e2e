#pragma once
// The colours the window draws with. The accent (foundation's system accent) and the fullness
// colours (extension/shared, as the fullness widget draws them) come from the homes the widgets
// read them from, so that the app and the widgets read as one; kinds of file take the platform's
// system colours.

#include <gdkmm/rgba.h>

#include "app/scan/kinds.h"
#include "platform/foundation/system_colors.h"

namespace brimlet::gui {

using Rgb = foundation::SrgbColor;

// Whether a widget draws on a dark background, judged by its text colour: true for light text.
bool isDark(const Gdk::RGBA& foreground);

Rgb accentColor(bool dark);
Rgb fullnessColor(double usedFraction);
// The treemap's and the kind bars' colour of `kind`: documents in the accent, code in the
// fullness green, archives in its amber, media purple, images pink, binaries indigo, other grey.
Rgb kindColor(FileKind kind, bool dark);

}  // namespace brimlet::gui
