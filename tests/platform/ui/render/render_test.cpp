// Pictures checked by probing pixels of rendered tiles, never against whole golden images.

#include <gtest/gtest.h>

#include <cairo.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/render/render.h"
#include "platform/ui/ui.h"
#include "tests/support/scratch.h"

namespace render {
namespace {

namespace fs = std::filesystem;

struct Rgba8 {
    int r = -1, g = -1, b = -1, a = -1;
};

// A tile drawn in memory (the pixels a PNG holds, as PixelsInMemoryAreThoseOfThePng checks),
// answering colour probes.
class Drawn {
public:
    Drawn(const ui::View& view, const TileOptions& options) : scale_(options.scale) {
        EXPECT_TRUE(renderTilePixels(view, options, pixels_).ok());
    }
    int width() const { return pixels_.width; }
    int height() const { return pixels_.height; }

    // The straight-alpha colour of the device pixel (px, py); -1s outside the tile.
    Rgba8 pixel(int px, int py) const {
        if (px < 0 || py < 0 || px >= pixels_.width || py >= pixels_.height) return {};
        std::uint32_t v = 0;
        std::memcpy(&v, &pixels_.data[static_cast<std::size_t>(py * pixels_.stride + px * 4)], 4);
        Rgba8 c{static_cast<int>((v >> 16) & 255), static_cast<int>((v >> 8) & 255),
                static_cast<int>(v & 255), static_cast<int>(v >> 24)};
        if (c.a > 0 && c.a < 255) c = {c.r * 255 / c.a, c.g * 255 / c.a, c.b * 255 / c.a, c.a};
        return c;
    }
    // The same under the point (x, y) in points.
    Rgba8 at(double x, double y) const {
        return pixel(static_cast<int>(x * scale_), static_cast<int>(y * scale_));
    }
    // Every channel under (x, y) within `tolerance` of the expected 0...255 value.
    void expectNear(double x, double y, int r, int g, int b, int a = 255, int tolerance = 4) const {
        const Rgba8 c = at(x, y);
        auto close = [tolerance](int u, int v) { return std::abs(u - v) <= tolerance; };
        EXPECT_TRUE(close(c.r, r) && close(c.g, g) && close(c.b, b) && close(c.a, a))
            << "at (" << x << ", " << y << "): " << c.r << " " << c.g << " " << c.b << " " << c.a;
    }

private:
    TilePixels pixels_;
    double scale_;
};

std::string read(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

constexpr double kPi = 3.14159265358979323846;

// A 100-point gauge centred in a small tile: track, and an arc of `fraction` from twelve
// o'clock, clockwise, 10 points wide with round caps.
ui::View gauge(double fraction) {
    return ui::ZStack(
               {ui::Circle().stroke(ui::quaternary, 10),
                ui::Circle()
                    .trim(0, fraction)
                    .stroke(ui::Color(0.11, 0.69, 0.48), ui::StrokeStyle{10, ui::LineCap::round})
                    .rotationEffect(ui::Angle::degrees(-90))})
        .frame(100, 100);
}

TEST(Render, TrimmedRotatedArcStartsAtTwelveRunsClockwiseAndStraddlesTheOutline) {
    // At `degrees` clockwise from twelve o'clock, `radius` points from the centre, the ring's
    // centre line being at 50 and its stroke 10 wide.
    struct Probe {
        double fraction, degrees, radius;
        std::array<int, 3> expected;
    };
    const std::array<int, 3> arc{28, 176, 122};
    const int track = static_cast<int>(std::lround(236 * (1 - 0.098)));  // #ECECEC under 0.098
    const std::array<int, 3> off{track, track, track};
    const std::array<int, 3> tile{236, 236, 236};
    // 0.62 of a turn ends at 223.2 degrees, a little past seven o'clock; a zero trim draws none.
    const Probe probes[] = {{0.62, 10, 50, arc},  {0.62, 90, 46, arc},  {0.62, 90, 54, arc},
                            {0.62, 90, 43, tile}, {0.62, 90, 57, tile}, {0.62, 180, 50, arc},
                            {0.62, 215, 50, arc}, {0.62, 235, 50, off}, {0.62, 270, 50, off},
                            {0.62, -15, 50, off}, {0, 0, 50, off}};
    for (const Probe& p : probes) {
        SCOPED_TRACE(std::to_string(p.fraction) + " at " + std::to_string(p.degrees));
        const double a = p.degrees * kPi / 180;
        Drawn(gauge(p.fraction), {})
            .expectNear(85 + p.radius * std::sin(a), 85 - p.radius * std::cos(a), p.expected[0],
                        p.expected[1], p.expected[2]);
    }
}

TEST(Render, AccentedModePaintsAccentableViewsInTheTintAndTheRestWhite) {
    const ui::Color red(1, 0, 0);
    const ui::View content =
        ui::HStack(ui::VerticalAlignment::center, 10,
                   {ui::Rectangle().fill(red).frame(40, 40).widgetAccentable(),
                    ui::Rectangle().fill(red).frame(40, 40),
                    ui::Rectangle().fill(ui::Color(1, 0, 0, 0.5)).frame(40, 40)})
            .opacity(0.5);
    const Drawn tile(content, {.renderingMode = ui::RenderingMode::accented});
    // The tile is the dark neutral #1C1C1E with a faint blue wash. Three 40-point squares 10
    // apart, centred (x from 20, 70 and 120), at half opacity over it, the third at a quarter.
    const Rgba8 t = tile.at(8, 85);
    EXPECT_LT(t.r, 40);
    EXPECT_GE(t.b, t.r);
    tile.expectNear(40, 85, t.r / 2, (122 + t.g) / 2, (255 + t.b) / 2, 255, 6);
    tile.expectNear(90, 85, (255 + t.r) / 2, (255 + t.g) / 2, (255 + t.b) / 2, 255, 6);
    tile.expectNear(140, 85, (255 + 3 * t.r) / 4, (255 + 3 * t.g) / 4, (255 + 3 * t.b) / 4, 255, 6);
}

TEST(Render, TheTileAndItsLabelsTakeTheAppearanceAndTheContainerBackgroundBleeds) {
    const ui::View label = ui::Rectangle().fill(ui::primary).frame(20, 20);
    const ui::View backed = ui::Rectangle().frame(10, 10).containerBackground(
        ui::Color(1, 0, 0), ui::ContainerBackgroundPlacement::widget);
    const TileOptions dark{.appearance = ui::ColorScheme::dark};
    const ui::Size medium{364, 170};
    const TileOptions accented{.renderingMode = ui::RenderingMode::accented};
    const TileOptions tiny{.size = {30, 30}};
    // The primary label is black or white at 0.847 over the background.
    const int overLight = static_cast<int>(std::lround(0xEC * 0.153));
    const int overDark = static_cast<int>(std::lround(0x32 * 0.153 + 255 * 0.847));
    struct Case {
        const char* what;
        ui::View view;
        TileOptions options;
        double x, y;
        Rgba8 want;
    };
    const Case cases[] = {
        {"light tile", label, {}, 30, 30, {0xEC, 0xEC, 0xEC, 255}},
        {"label over light", label, {}, 85, 85, {overLight, overLight, overLight, 255}},
        {"dark tile", label, dark, 30, 30, {0x32, 0x32, 0x32, 255}},
        {"label over dark", label, dark, 85, 85, {overDark, overDark, overDark, 255}},
        {"background under the margin", backed, {.size = medium}, 2, 85, {255, 0, 0, 255}},
        {"background at the top edge", backed, {.size = medium}, 182, 1, {255, 0, 0, 255}},
        {"nothing in a rounded corner", backed, {.size = medium}, 0.5, 0.5, {0, 0, 0, 0}},
        {"nothing in the opposite corner", backed, {.size = medium}, 363.5, 169.5, {0, 0, 0, 0}},
        // A tile narrower than twice its corner radius is a disc.
        {"tiny tile inside its disc", label, tiny, 10, 3, {0xEC, 0xEC, 0xEC, 255}},
        {"tiny tile clear outside it", label, tiny, 4, 0.5, {0, 0, 0, 0}},
        {"accented mode puts its own tile in place of the background", backed, accented, 85, 30,
         Drawn(label, accented).at(85, 30)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Drawn(c.view, c.options).expectNear(c.x, c.y, c.want.r, c.want.g, c.want.b, c.want.a);
    }
    for (const double scale : {1.0, 3.0}) {
        const Drawn scaled(backed, {.size = medium, .scale = scale});
        EXPECT_EQ(scaled.width(), static_cast<int>(364 * scale));
        EXPECT_EQ(scaled.height(), static_cast<int>(170 * scale));
    }
}

TEST(Render, ADividerIsOneDevicePixel) {
    const ui::View clear = ui::Rectangle().fill(ui::Color::clear).frame(10, 10);
    const Drawn divider(
        ui::VStack(ui::HorizontalAlignment::center, 0, {clear, ui::Divider(), clear}), {});
    int darker = 0;
    for (int y = 0; y < divider.height(); ++y) darker += divider.pixel(170, y).r < 0xEC - 5;
    EXPECT_EQ(darker, 1);
}

// A right-to-left name inside the program's text is an isolated run: the line keeps its
// left-to-right order, so the name starts it exactly as when drawn alone, and "free" follows.
// (Left to pango's own guess, the name would turn the line and "free" would come first.)
TEST(Render, ARightToLeftNameNeverReordersTheTextAroundIt) {
    const std::string hebrew = "\u05E9\u05DC\u05D5\u05DD";
    const auto drawn = [](const ui::View& text) {
        return Drawn(text.font(ui::Font::title2)
                         .frame({.maxWidth = ui::infinity,
                                 .maxHeight = ui::infinity,
                                 .alignment = ui::Alignment::topLeading}),
                     TileOptions{.size = {364, 170}, .scale = 1});
    };
    const Drawn alone = drawn(ui::Text::verbatim(hebrew));
    const Drawn inside = drawn(ui::Text("%@ free", {hebrew}));
    const auto inked = [](const Drawn& d, int x) {
        for (int y = 0; y < d.height(); ++y) {
            const Rgba8 c = d.pixel(x, y);  // dark on the opaque tile, not a clear corner
            if (c.a == 255 && c.r < 128) return true;
        }
        return false;
    };
    int end = alone.width() - 1;  // the last column the name inks
    while (end > 0 && !inked(alone, end)) --end;
    ASSERT_GT(end, 0);
    int differing = 0;
    for (int x = 0; x <= end; ++x) {
        for (int y = 0; y < alone.height(); ++y) {
            const Rgba8 a = alone.pixel(x, y), b = inside.pixel(x, y);
            differing += a.r != b.r || a.g != b.g || a.b != b.b || a.a != b.a;
        }
    }
    EXPECT_EQ(differing, 0);
    int after = 0;
    for (int x = end + 1; x < inside.width(); ++x) after += inked(inside, x);
    EXPECT_GT(after, 10);
}

TEST(Render, PixelsInMemoryAreThoseOfThePng) {
    // Text, a translucent style and the rounded tile's transparent corners, at the scales a
    // display has; the PNG read back by cairo is premultiplied again, word for word.
    const ui::View view =
        ui::VStack(ui::HorizontalAlignment::leading, 4,
                   {ui::Text::verbatim("Data 42 %").font(ui::Font::headline),
                    ui::Text::verbatim("secondary").foregroundStyle(ui::secondary), gauge(0.4)})
            .containerBackground(ui::Color(0.2, 0.4, 0.8, 0.5),
                                 ui::ContainerBackgroundPlacement::widget);
    const brimlet_test::ScratchDir dir;
    for (const double scale : {1.0, 2.0}) {
        for (const auto scheme : {ui::ColorScheme::light, ui::ColorScheme::dark}) {
            SCOPED_TRACE(scale);
            const TileOptions options{.size = {364, 170}, .scale = scale, .appearance = scheme};
            TilePixels pixels;
            ASSERT_TRUE(renderTilePixels(view, options, pixels).ok());
            ASSERT_TRUE(renderTile(view, options, dir / "tile.png").ok());
            cairo_surface_t* png = cairo_image_surface_create_from_png((dir / "tile.png").c_str());
            ASSERT_EQ(cairo_image_surface_get_width(png), pixels.width);
            ASSERT_EQ(cairo_image_surface_get_height(png), pixels.height);
            ASSERT_EQ(cairo_image_surface_get_stride(png), pixels.stride);
            EXPECT_EQ(std::memcmp(cairo_image_surface_get_data(png), pixels.data.data(),
                                  pixels.data.size()),
                      0);
            cairo_surface_destroy(png);
        }
    }
    // The PNG says its colours are sRGB, so a colour-managed viewer shows them as drawn.
    EXPECT_NE(read(dir / "tile.png").find("sRGB"), std::string::npos);
}

// Premultiplied words, rows of each kind the encoder tells apart (all opaque, all transparent,
// one translucent pixel in a block of four or in the tail after the blocks, every alpha), at
// widths around the block of four, come back from the PNG word for word.
TEST(Render, EncodedPixelsReadBackWordForWordAtAnyWidthAndAlpha) {
    const auto premultiplied = [](unsigned r, unsigned g, unsigned b, unsigned a) {
        const auto times = [a](unsigned c) { return (c * a + 127) / 255; };
        return a << 24 | times(r) << 16 | times(g) << 8 | times(b);
    };
    const auto word = [&](int row, int column, int width) -> std::uint32_t {
        const auto x = static_cast<unsigned>(column);
        const unsigned r = (x * 37 + 11) % 256, g = (x * 59 + 3) % 256, b = (x * 83 + 7) % 256;
        switch (row) {
            case 0: return premultiplied(r, g, b, 255);
            case 1: return 0;
            case 2: return premultiplied(r, g, b, column == width - 1 ? 128 : 255);
            case 3: return premultiplied(r, g, b, column == 1 ? 3 : 255);
            default: return premultiplied(r, g, b, (x * 53 + 17) % 256);
        }
    };
    constexpr int kRows = 5;
    for (const int width : {1, 3, 4, 5, 8, 13}) {
        SCOPED_TRACE(width);
        TilePixels pixels;
        pixels.width = width;
        pixels.height = kRows;
        pixels.stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
        pixels.data.assign(static_cast<std::size_t>(pixels.stride) * kRows, 0);
        for (int y = 0; y < kRows; ++y) {
            for (int x = 0; x < width; ++x) {
                const std::uint32_t w = word(y, x, width);
                std::memcpy(&pixels.data[static_cast<std::size_t>(y * pixels.stride + x * 4)], &w,
                            4);
            }
        }
        std::string png;
        ASSERT_TRUE(encodePixelsPng(pixels, png).ok());
        std::string_view rest = png;
        cairo_surface_t* back = cairo_image_surface_create_from_png_stream(
            [](void* closure, unsigned char* data, unsigned int length) {
                auto* bytes = static_cast<std::string_view*>(closure);
                if (bytes->size() < length) return CAIRO_STATUS_READ_ERROR;
                std::memcpy(data, bytes->data(), length);
                bytes->remove_prefix(length);
                return CAIRO_STATUS_SUCCESS;
            },
            &rest);
        ASSERT_EQ(cairo_surface_status(back), CAIRO_STATUS_SUCCESS);
        ASSERT_EQ(cairo_image_surface_get_width(back), width);
        ASSERT_EQ(cairo_image_surface_get_height(back), kRows);
        const int stride = cairo_image_surface_get_stride(back);
        for (int y = 0; y < kRows; ++y) {
            for (int x = 0; x < width; ++x) {
                std::uint32_t got = 0;
                std::memcpy(&got, cairo_image_surface_get_data(back) + y * stride + x * 4, 4);
                EXPECT_EQ(got, word(y, x, width)) << "row " << y << ", pixel " << x;
            }
        }
        cairo_surface_destroy(back);
    }
}

// The leaves of a laid-out tree in drawing order, with their frames.
void leaves(const ui::LaidOutNode& node, std::vector<const ui::LaidOutNode*>& out) {
    if (node.children.empty()) out.push_back(&node);
    for (const auto& child : node.children) leaves(child, out);
}

// A placeholder waiting for its answer: every text a capsule per line in its own paint at half
// the alpha, inside the text's frame; every shape where and as it was; no text left to read.
TEST(Render, ARedactedTileHasNoTextLeavesAndKeepsItsShapes) {
    const ui::View view = ui::HStack(
        ui::VerticalAlignment::center, 8,
        {gauge(0.4), ui::VStack(ui::HorizontalAlignment::leading, 4,
                                {ui::Text::verbatim("Data 42 %").font(ui::Font::headline),
                                 ui::Text::verbatim("a long secondary line that wraps in two")
                                     .foregroundStyle(ui::Color(1, 0, 0))
                                     .lineLimit(2)
                                     .frame(120)})});
    const auto measurer = makeTextMeasurer();
    const TileOptions plain{.size = {364, 170}};
    TileOptions redacted = plain;
    redacted.redacted = true;
    const ui::LaidOutTile before = layoutForRendering(view, plain, *measurer);
    const ui::LaidOutTile after = layoutForRendering(view, redacted, *measurer);
    EXPECT_EQ(tileTexts(before),
              (std::vector<std::string>{"Data 42 %", "a long secondary line that wraps in two"}));
    EXPECT_TRUE(tileTexts(after).empty());
    // Texts side by side in a row read as one phrase.
    const ui::View row = ui::HStack({ui::Text::verbatim("projects"), ui::Text::verbatim("1 KB")});
    EXPECT_EQ(tileTexts(layoutForRendering(row, plain, *measurer)),
              std::vector<std::string>{"projects 1 KB"});

    std::vector<const ui::LaidOutNode*> was, is;
    leaves(before.content, was);
    leaves(after.content, is);
    std::size_t bars = 0, next = 0;
    for (const ui::LaidOutNode* leaf : was) {
        const auto* text = std::get_if<ui::LaidOutText>(&leaf->content);
        if (text == nullptr) {
            ASSERT_LT(next, is.size());
            EXPECT_EQ(is[next]->type, leaf->type);
            const ui::Rect a = is[next]->frame, b = leaf->frame;
            EXPECT_TRUE(a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height);
            ++next;
            continue;
        }
        SCOPED_TRACE(text->composed);
        ASSERT_FALSE(text->lines.empty());
        for (std::size_t line = 0; line < text->lines.size(); ++line, ++next, ++bars) {
            ASSERT_LT(next, is.size());
            const ui::LaidOutNode& bar = *is[next];
            const auto* shape = std::get_if<ui::LaidOutShape>(&bar.content);
            ASSERT_NE(shape, nullptr);
            EXPECT_EQ(shape->kind, ui::ShapeKind::capsule);
            EXPECT_GE(bar.frame.y, leaf->frame.y);
            EXPECT_LE(bar.frame.maxY(), leaf->frame.maxY() + 0.5);
            const double lineMiddle =
                leaf->frame.y + text->lineHeight * (static_cast<double>(line) + 0.5);
            EXPECT_NEAR(bar.frame.midY(), lineMiddle, 1e-9);  // centred on its line
            EXPECT_EQ(bar.frame.width, leaf->frame.width);
            ASSERT_TRUE(bar.paint && leaf->paint);
            EXPECT_DOUBLE_EQ(bar.paint->color.alpha, leaf->paint->color.alpha / 2);
            EXPECT_EQ(bar.paint->color.red, leaf->paint->color.red);
        }
    }
    EXPECT_EQ(next, is.size());
    EXPECT_EQ(bars, 3u);  // the headline and the two lines of the wrapped text
    // The bars are drawn: the headline's is inked across its middle.
    const ui::Rect headline = is[2]->frame;
    EXPECT_LT(Drawn(view, redacted).at(headline.midX(), headline.midY()).r, 0xEC);
}

TEST(Render, FormatsByExtensionInAnyCase) {
    const brimlet_test::ScratchDir dir;
    fs::create_directory(dir / "dir.v2");
    struct Case {
        std::string file, starts;
    };
    const Case cases[] = {{"tile.svg", "<?xml"},
                          {"dir.v2/a.Svg", "<?xml"},
                          {"tile.PDF", "%PDF-"},
                          {"tile.json", "{"},
                          {"TILE.PNG", "\x89PNG"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ASSERT_TRUE(renderTile(gauge(0.5), {}, dir / c.file).ok());
        EXPECT_EQ(read(dir / c.file).rfind(c.starts, 0), 0u);
    }
    EXPECT_NE(read(dir / "tile.json").find("\"type\": \"Tile\""), std::string::npos);
    for (const char* p : {"dir.png/a", "a.jpeg", ""}) EXPECT_EQ(formatForPath(p), std::nullopt);
}

TEST(Render, FailuresNameTheProblemLeaveNoFileAndKeepTheOldOne) {
    const brimlet_test::ScratchDir dir;
    const std::string missing = dir / "no/such/folder/tile.png";
    EXPECT_NE(renderTile(ui::Rectangle(), {}, missing).message().find(missing), std::string::npos);
    const std::string out = dir / "keep.png";
    { std::ofstream(out) << "old"; }
    const std::pair<std::string, TileOptions> failures[] = {{"tile.gif", {}},
                                                            {"tile", {}},
                                                            {"zero.png", {.scale = 0}},
                                                            {"huge.png", {.scale = 1e9}},
                                                            {"keep.png", {.size = {0, 0}}}};
    for (const auto& [file, options] : failures) {
        SCOPED_TRACE(file);
        EXPECT_FALSE(renderTile(ui::Rectangle(), options, dir / file).ok());
    }
    TilePixels none;
    EXPECT_FALSE(renderTilePixels(ui::Rectangle(), {.scale = 0}, none).ok());
    EXPECT_TRUE(none.data.empty());
    EXPECT_EQ(read(out), "old");
    // Nothing else is left in the folder.
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 1u);
}

}  // namespace
}  // namespace render
