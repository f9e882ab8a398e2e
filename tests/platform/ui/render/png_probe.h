#pragma once
// Reads a PNG back with cairo and answers colour probes in points.

#include <cairo.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/ui/style.h"

namespace render::test {

struct Rgba8 {
    int r = 0, g = 0, b = 0, a = 0;
};

class PngProbe {
public:
    explicit PngProbe(const std::string& path, double scale = 2)
        : surface_(cairo_image_surface_create_from_png(path.c_str())), scale_(scale) {}
    ~PngProbe() { cairo_surface_destroy(surface_); }
    PngProbe(const PngProbe&) = delete;
    PngProbe& operator=(const PngProbe&) = delete;

    bool ok() const { return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS; }
    int width() const { return cairo_image_surface_get_width(surface_); }
    int height() const { return cairo_image_surface_get_height(surface_); }

    // The straight-alpha colour of the device pixel under the point (x, y) in points.
    Rgba8 at(double x, double y) const {
        const int px = static_cast<int>(x * scale_);
        const int py = static_cast<int>(y * scale_);
        if (!ok() || px < 0 || py < 0 || px >= width() || py >= height()) return {-1, -1, -1, -1};
        cairo_surface_flush(surface_);
        const unsigned char* row = cairo_image_surface_get_data(surface_) +
                                   static_cast<std::ptrdiff_t>(py) *
                                       cairo_image_surface_get_stride(surface_);
        std::uint32_t v = 0;
        std::memcpy(&v, row + static_cast<std::ptrdiff_t>(px) * 4, 4);
        Rgba8 c{static_cast<int>((v >> 16) & 255), static_cast<int>((v >> 8) & 255),
                static_cast<int>(v & 255), static_cast<int>(v >> 24)};
        if (c.a > 0 && c.a < 255) {
            c.r = c.r * 255 / c.a;
            c.g = c.g * 255 / c.a;
            c.b = c.b * 255 / c.a;
        }
        return c;
    }

private:
    cairo_surface_t* surface_;
    double scale_;
};

inline std::string str(const Rgba8& c) {
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) +
           ", " + std::to_string(c.a) + ")";
}

// True when every channel is within `tolerance` of the expected 0...255 value.
inline bool near(const Rgba8& c, int r, int g, int b, int a = 255, int tolerance = 4) {
    auto close = [tolerance](int x, int y) { return x - y <= tolerance && y - x <= tolerance; };
    return close(c.r, r) && close(c.g, g) && close(c.b, b) && close(c.a, a);
}

}  // namespace render::test
