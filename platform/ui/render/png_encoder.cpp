#include "platform/ui/render/png_encoder.h"

#include <cairo.h>
#include <png.h>

#include <bit>
#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <vector>

namespace render::detail {
namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::string*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char*>(data), length);
}

void flushNothing(png_structp) {}

// Cairo's native-endian word 0xAARRGGBB as the word whose bytes in memory are R, G, B, A.
inline std::uint32_t straightOrder(std::uint32_t pixel) {
    const std::uint32_t rgba =
        (pixel & 0xFF00FF00u) | ((pixel >> 16) & 0xFFu) | ((pixel & 0xFFu) << 16);
    if constexpr (std::endian::native == std::endian::big) return __builtin_bswap32(rgba);
    return rgba;
}

// One row of cairo's native-endian premultiplied ARGB32 as straight RGBA bytes. Opaque and
// fully transparent pixels only change byte order, four at a time (the compiler keeps the four
// in one vector register); the rare partly transparent ones are then divided by their alpha.
void unpremultiplyRow(const unsigned char* source, int width, unsigned char* row) {
    constexpr int kBlock = 4;
    std::uint32_t allBits = 0xFFFFFFFFu;
    int x = 0;
    for (; x + kBlock <= width; x += kBlock) {
        std::uint32_t block[kBlock];
        std::memcpy(block, source + std::ptrdiff_t{4} * x, sizeof block);
        for (std::uint32_t& pixel : block) {
            allBits &= pixel;
            pixel = straightOrder(pixel);
        }
        std::memcpy(row + std::ptrdiff_t{4} * x, block, sizeof block);
    }
    for (; x < width; ++x) {
        std::uint32_t pixel = 0;
        std::memcpy(&pixel, source + std::ptrdiff_t{4} * x, 4);
        allBits &= pixel;
        pixel = straightOrder(pixel);
        std::memcpy(row + std::ptrdiff_t{4} * x, &pixel, 4);
    }
    if ((allBits >> 24) == 0xFF) return;  // every pixel opaque
    for (x = 0; x < width; ++x) {
        unsigned char* rgba = row + std::ptrdiff_t{4} * x;
        const unsigned a = rgba[3];
        if (a == 0 || a == 255) continue;
        for (int c = 0; c < 3; ++c) {
            rgba[c] = static_cast<unsigned char>((rgba[c] * 255 + a / 2) / a);
        }
    }
}

// Writes the PNG of `pixels` to `out` with `png` and `info`; false when libpng failed. libpng
// reports an error by a long jump back into this frame, so it holds nothing with a destructor:
// the caller owns every object.
bool writePng(png_structp png, png_infop info, const unsigned char* pixels, int width, int height,
              int stride, unsigned char* row, std::string* out) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, out, appendBytes, flushNothing);
    png_set_compression_level(png, 1);
    // An 8 KiB hash table instead of zlib's 64 KiB: less to clear at the start and to slide
    // every 32 KiB of input, for files about 1 % larger.
    png_set_compression_mem_level(png, 5);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
                 PNG_FILTER_TYPE_BASE);
    png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        unpremultiplyRow(pixels + static_cast<std::ptrdiff_t>(y) * stride, width, row);
        png_write_row(png, row);
    }
    png_write_end(png, info);
    return true;
}

}  // namespace

foundation::Status encodePng(cairo_surface_t* surface, std::string& out) {
    cairo_surface_flush(surface);
    if (cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32) {
        return foundation::Status::failure("PNG encoding needs an ARGB32 image");
    }
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* pixels = cairo_image_surface_get_data(surface);
    if (pixels == nullptr || width <= 0 || height <= 0) {
        return foundation::Status::failure("the image has no pixels");
    }
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * 4);
    // Destroys what libpng made, whichever way encoding ends.
    struct Encoder {
        png_structp png = nullptr;
        png_infop info = nullptr;
        ~Encoder() { png_destroy_write_struct(&png, info != nullptr ? &info : nullptr); }
    } encoder;
    encoder.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (encoder.png == nullptr) return foundation::Status::failure("cannot start PNG encoding");
    encoder.info = png_create_info_struct(encoder.png);
    if (encoder.info == nullptr) return foundation::Status::failure("cannot start PNG encoding");
    if (!writePng(encoder.png, encoder.info, pixels, width, height, stride, row.data(), &out)) {
        return foundation::Status::failure("PNG encoding failed");
    }
    return {};
}

}  // namespace render::detail
