#pragma once
// The colours the window draws with, taken from the widgets' look so that the app and the
// widgets read as one: the accent (light #007AFF, dark #0A84FF) and the fullness colours of the
// ring (green below 0.7 used, amber below 0.9, red otherwise; the values of the fullness widget's
// fullnessColor, which app/ may not include). Kinds of file take the platform's system colours.

#include <gdkmm/rgba.h>

#include "app/scan/kinds.h"

namespace brimlet::gui {

struct Rgb {
    double red, green, blue;
};

// Whether a widget draws on a dark background, judged by its text colour: true for light text.
bool isDark(const Gdk::RGBA& foreground);

Rgb accentColor(bool dark);
Rgb fullnessColor(double usedFraction);
// The treemap's and the kind bars' colour of `kind`: documents in the accent, code in the
// fullness green, archives in its amber, media purple, images pink, binaries indigo, other grey.
Rgb kindColor(FileKind kind, bool dark);

}  // namespace brimlet::gui
