#include "app/gui/palette.h"

#include "extension/shared/fullness_colors.h"

namespace brimlet::gui {
namespace {

constexpr Rgb hex(unsigned rgb) {
    return {((rgb >> 16) & 0xff) / 255.0, ((rgb >> 8) & 0xff) / 255.0, (rgb & 0xff) / 255.0};
}

}  // namespace

bool isDark(const Gdk::RGBA& foreground) {
    const double luma = 0.2126 * double(foreground.get_red()) +
                        0.7152 * double(foreground.get_green()) +
                        0.0722 * double(foreground.get_blue());
    return luma > 0.5;
}

Rgb accentColor(bool dark) { return foundation::systemAccent(dark); }

Rgb fullnessColor(double usedFraction) { return fullnessComponents(usedFraction); }

Rgb kindColor(FileKind kind, bool dark) {
    switch (kind) {
        case FileKind::documents: return accentColor(dark);
        case FileKind::code: return fullnessColor(0);
        case FileKind::archives: return fullnessColor(0.8);
        case FileKind::media: return dark ? hex(0xBF5AF2) : hex(0xAF52DE);
        case FileKind::images: return dark ? hex(0xFF375F) : hex(0xFF2D55);
        case FileKind::binaries: return dark ? hex(0x5E5CE6) : hex(0x5856D6);
        case FileKind::other: break;
    }
    return dark ? hex(0x98989D) : hex(0x8E8E93);
}

}  // namespace brimlet::gui
