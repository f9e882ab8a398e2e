#pragma once
// The system colours that the widgets' renderer and the Brimlet window both draw with, kept in
// one place so that the window and the widgets can never drift apart. Values only: no drawing.

namespace foundation {

// An opaque sRGB colour, each component in 0...1.
struct SrgbColor {
    double red = 0;
    double green = 0;
    double blue = 0;
};

// The system accent colour: #007AFF in light appearance, #0A84FF in dark.
constexpr SrgbColor systemAccent(bool dark) {
    return dark ? SrgbColor{0x0A / 255.0, 0x84 / 255.0, 0xFF / 255.0}
                : SrgbColor{0x00 / 255.0, 0x7A / 255.0, 0xFF / 255.0};
}

}  // namespace foundation
