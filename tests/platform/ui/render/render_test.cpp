// Pictures checked by probing pixels of rendered PNGs, never against whole golden images.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/ui/render/render.h"
#include "platform/ui/ui.h"
#include "tests/platform/ui/render/png_probe.h"
#include "tests/support/scratch.h"

namespace render {
namespace {

namespace fs = std::filesystem;
using test::near;
using test::PngProbe;
using test::str;

constexpr double kPi = 3.14159265358979323846;

class RenderTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return dir_ / name; }

    static std::string read(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    brimlet_test::ScratchDir dir_;
};

// A 100-point gauge centred in a small tile: track, and an arc of `fraction` from twelve
// o'clock, clockwise, 10 points wide with round caps.
ui::View gauge(double fraction) {
    return ui::ZStack({ui::Circle().stroke(ui::quaternary, 10),
                       ui::Circle()
                           .trim(0, fraction)
                           .stroke(ui::Color(0.11, 0.69, 0.48),
                                   ui::StrokeStyle{10, ui::LineCap::round})
                           .rotationEffect(ui::Angle::degrees(-90))})
        .frame(100, 100);
}

// The point on the gauge's centre line at `degrees` clockwise from twelve o'clock.
ui::Point onRing(double degrees) {
    const double a = degrees * kPi / 180;
    return {85 + 50 * std::sin(a), 85 - 50 * std::cos(a)};
}

TEST_F(RenderTest, TrimmedRotatedArcStartsAtTwelveAndRunsClockwise) {
    const std::string out = path("gauge.png");
    ASSERT_EQ(renderTile(gauge(0.62), {.size = {170, 170}}, out), "");
    PngProbe png(out);
    ASSERT_TRUE(png.ok());
    struct Probe {
        double degrees;
        bool arc;
    };
    // 0.62 of a turn ends at 223.2 degrees, a little past seven o'clock.
    const Probe probes[] = {{10, true}, {90, true}, {180, true}, {215, true},
                            {235, false}, {270, false}, {-15, false}};
    // The track is black at 0.098 over #ECECEC.
    const int track = static_cast<int>(std::lround(236 * (1 - 0.098)));
    for (const Probe& p : probes) {
        const ui::Point at = onRing(p.degrees);
        const auto c = png.at(at.x, at.y);
        SCOPED_TRACE("at " + std::to_string(p.degrees) + " degrees: " + str(c));
        if (p.arc) {
            EXPECT_TRUE(near(c, 28, 176, 122));
        } else {
            EXPECT_TRUE(near(c, track, track, track));
        }
    }
}

TEST_F(RenderTest, StrokeStraddlesTheOutline) {
    const std::string out = path("straddle.png");
    ASSERT_EQ(renderTile(gauge(1), {.size = {170, 170}}, out), "");
    PngProbe png(out);
    // Radius 50, width 10: covered from 45 to 55 points from the centre at three o'clock.
    EXPECT_TRUE(near(png.at(85 + 46, 85), 28, 176, 122)) << str(png.at(85 + 46, 85));
    EXPECT_TRUE(near(png.at(85 + 54, 85), 28, 176, 122)) << str(png.at(85 + 54, 85));
    EXPECT_TRUE(near(png.at(85 + 43, 85), 236, 236, 236)) << str(png.at(85 + 43, 85));
    EXPECT_TRUE(near(png.at(85 + 57, 85), 236, 236, 236)) << str(png.at(85 + 57, 85));
}

TEST_F(RenderTest, ZeroTrimDrawsNoArc) {
    const std::string out = path("empty.png");
    ASSERT_EQ(renderTile(gauge(0), {.size = {170, 170}}, out), "");
    PngProbe png(out);
    const int track = static_cast<int>(std::lround(236 * (1 - 0.098)));
    const ui::Point top = onRing(0);
    EXPECT_TRUE(near(png.at(top.x, top.y), track, track, track)) << str(png.at(top.x, top.y));
}

TEST_F(RenderTest, AccentedModePaintsAccentableViewsInTheTintAndTheRestWhite) {
    const ui::View content =
        ui::HStack(ui::VerticalAlignment::center, 10,
                   {ui::Rectangle().fill(ui::Color(1, 0, 0)).frame(40, 40).widgetAccentable(),
                    ui::Rectangle().fill(ui::Color(1, 0, 0)).frame(40, 40),
                    ui::Rectangle().fill(ui::Color(1, 0, 0, 0.5)).frame(40, 40)});
    const std::string out = path("accented.png");
    ASSERT_EQ(renderTile(content, {.size = {170, 170}, .renderingMode = ui::RenderingMode::accented},
                         out),
              "");
    PngProbe png(out);
    // Three 40-point squares 10 apart, centred: x from 20, 70 and 120.
    EXPECT_TRUE(near(png.at(40, 85), 0, 122, 255)) << str(png.at(40, 85));
    EXPECT_TRUE(near(png.at(90, 85), 255, 255, 255)) << str(png.at(90, 85));
    // Half-transparent white over the dark tile keeps its alpha: a mid grey.
    const auto half = png.at(140, 85);
    EXPECT_GT(half.r, 120) << str(half);
    EXPECT_LT(half.r, 160) << str(half);
    // The tile itself is the dark neutral #1C1C1E with a faint blue wash.
    const auto tileColor = png.at(85, 160);
    EXPECT_LT(tileColor.r, 40) << str(tileColor);
    EXPECT_GE(tileColor.b, tileColor.r) << str(tileColor);
}

TEST_F(RenderTest, AccentedModeReplacesTheContainerBackground) {
    const ui::View content = ui::Rectangle().frame(10, 10).containerBackground(
        ui::Color(1, 0, 0), ui::ContainerBackgroundPlacement::widget);
    const std::string out = path("accented-bg.png");
    ASSERT_EQ(renderTile(content, {.size = {170, 170}, .renderingMode = ui::RenderingMode::accented},
                         out),
              "");
    PngProbe png(out);
    EXPECT_LT(png.at(85, 30).r, 60) << str(png.at(85, 30));
}

TEST_F(RenderTest, AppearanceSetsTheBackgroundAndLabelColours) {
    const ui::View content = ui::Rectangle().fill(ui::primary).frame(20, 20);
    struct Case {
        ui::ColorScheme scheme;
        int background;
        int label;  // primary label over the background
    };
    const Case cases[] = {{ui::ColorScheme::light, 0xEC, static_cast<int>(std::lround(0xEC * 0.153))},
                          {ui::ColorScheme::dark, 0x32,
                           static_cast<int>(std::lround(0x32 * 0.153 + 255 * 0.847))}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scheme == ui::ColorScheme::light ? "light" : "dark");
        const std::string out = path("appearance.png");
        ASSERT_EQ(renderTile(content, {.size = {170, 170}, .appearance = c.scheme}, out), "");
        PngProbe png(out);
        EXPECT_TRUE(near(png.at(30, 30), c.background, c.background, c.background))
            << str(png.at(30, 30));
        EXPECT_TRUE(near(png.at(85, 85), c.label, c.label, c.label)) << str(png.at(85, 85));
    }
}

TEST_F(RenderTest, ContainerBackgroundIsFullBleedInsideTheRoundedTile) {
    const ui::View content = ui::Rectangle().frame(10, 10).containerBackground(
        ui::Color(1, 0, 0), ui::ContainerBackgroundPlacement::widget);
    const std::string out = path("bleed.png");
    ASSERT_EQ(renderTile(content, {.size = {364, 170}}, out), "");
    PngProbe png(out);
    ASSERT_EQ(png.width(), 728);
    ASSERT_EQ(png.height(), 340);
    EXPECT_TRUE(near(png.at(2, 85), 255, 0, 0)) << str(png.at(2, 85));      // under the margin
    EXPECT_TRUE(near(png.at(182, 1), 255, 0, 0)) << str(png.at(182, 1));    // top edge
    EXPECT_EQ(png.at(0.5, 0.5).a, 0) << str(png.at(0.5, 0.5));              // cut corner
    EXPECT_EQ(png.at(363.5, 169.5).a, 0) << str(png.at(363.5, 169.5));
}

TEST_F(RenderTest, ScaleSetsThePixelSize) {
    for (const double scale : {1.0, 2.0, 3.0}) {
        SCOPED_TRACE(scale);
        const std::string out = path("scaled.png");
        ASSERT_EQ(renderTile(ui::Rectangle(), {.size = {170, 170}, .scale = scale}, out), "");
        PngProbe png(out, scale);
        EXPECT_EQ(png.width(), static_cast<int>(170 * scale));
        EXPECT_EQ(png.height(), static_cast<int>(170 * scale));
    }
}

TEST_F(RenderTest, PixelsInMemoryAreThoseOfThePng) {
    // Text, a translucent style and the rounded tile's transparent corners, at the scales a
    // display has; the PNG read back by cairo is premultiplied again, word for word.
    const ui::View view =
        ui::VStack(ui::HorizontalAlignment::leading, 4,
                   {ui::Text::verbatim("Data 42 %").font(ui::Font::headline),
                    ui::Text::verbatim("secondary").foregroundStyle(ui::secondary), gauge(0.4)})
            .containerBackground(ui::Color(0.2, 0.4, 0.8, 0.5),
                                 ui::ContainerBackgroundPlacement::widget);
    for (const double scale : {1.0, 2.0}) {
        for (const auto scheme : {ui::ColorScheme::light, ui::ColorScheme::dark}) {
            SCOPED_TRACE(scale);
            const TileOptions options{.size = {364, 170}, .scale = scale, .appearance = scheme};
            TilePixels pixels;
            ASSERT_EQ(renderTilePixels(view, options, pixels), "");
            ASSERT_EQ(renderTile(view, options, path("tile.png")), "");
            cairo_surface_t* png = cairo_image_surface_create_from_png(path("tile.png").c_str());
            ASSERT_EQ(cairo_image_surface_get_width(png), pixels.width);
            ASSERT_EQ(cairo_image_surface_get_height(png), pixels.height);
            ASSERT_EQ(cairo_image_surface_get_stride(png), pixels.stride);
            const unsigned char* data = cairo_image_surface_get_data(png);
            std::size_t differing = 0;
            for (std::size_t i = 0; i < pixels.data.size(); ++i) differing += data[i] != pixels.data[i];
            cairo_surface_destroy(png);
            EXPECT_EQ(differing, 0u);
        }
    }
    TilePixels none;
    EXPECT_NE(renderTilePixels(ui::Rectangle(), {.size = {170, 170}, .scale = 0}, none), "");
    EXPECT_TRUE(none.data.empty());
}

TEST_F(RenderTest, DividerIsOneDevicePixel) {
    const ui::View content = ui::VStack(ui::HorizontalAlignment::center, 0,
                                        {ui::Rectangle().fill(ui::Color::clear).frame(10, 10),
                                         ui::Divider(),
                                         ui::Rectangle().fill(ui::Color::clear).frame(10, 10)});
    const std::string out = path("divider.png");
    ASSERT_EQ(renderTile(content, {.size = {170, 170}}, out), "");
    PngProbe png(out, 1);  // probe in device pixels
    int darker = 0;
    for (int y = 0; y < png.height(); ++y) {
        if (png.at(170, y).r < 0xEC - 5) ++darker;
    }
    EXPECT_EQ(darker, 1);
}

TEST_F(RenderTest, TextIsDrawnInsideItsFrame) {
    const ui::View content = ui::Text::verbatim("MMMM").font(ui::Font::title2);
    const std::string out = path("text.png");
    ASSERT_EQ(renderTile(content, {.size = {170, 170}}, out), "");
    PngProbe png(out, 1);
    int inked = 0;
    for (int y = 0; y < png.height(); ++y) {
        for (int x = 0; x < png.width(); ++x) {
            if (png.at(x, y).r < 100) ++inked;
        }
    }
    EXPECT_GT(inked, 200);
}

TEST_F(RenderTest, VectorAndJsonFormatsByExtension) {
    struct Case {
        std::string file;
        std::string starts;
    };
    const Case cases[] = {{"tile.svg", "<?xml"}, {"tile.pdf", "%PDF-"}, {"tile.json", "{"},
                          {"TILE.PNG", "\x89PNG"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string out = path(c.file);
        ASSERT_EQ(renderTile(gauge(0.5), {.size = {170, 170}}, out), "");
        EXPECT_EQ(read(out).rfind(c.starts, 0), 0u);
    }
    EXPECT_NE(read(path("tile.json")).find("\"type\": \"Tile\""), std::string::npos);
}

TEST_F(RenderTest, FailuresNameTheProblemAndLeaveNoFile) {
    EXPECT_NE(renderTile(ui::Rectangle(), {}, path("tile.gif")), "");
    EXPECT_FALSE(fs::exists(path("tile.gif")));
    EXPECT_NE(renderTile(ui::Rectangle(), {}, path("tile")), "");

    const std::string missing = path("no/such/folder/tile.png");
    const std::string error = renderTile(ui::Rectangle(), {}, missing);
    EXPECT_NE(error.find(missing), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(missing));

    EXPECT_NE(renderTile(ui::Rectangle(), {.scale = 0}, path("zero.png")), "");
    EXPECT_NE(renderTile(ui::Rectangle(), {.scale = 1e9}, path("huge.png")), "");
    EXPECT_FALSE(fs::exists(path("huge.png")));
}

TEST_F(RenderTest, AFailedRenderKeepsTheOldFile) {
    const std::string out = path("keep.png");
    { std::ofstream(out) << "old"; }
    EXPECT_NE(renderTile(ui::Rectangle(), {.size = {0, 0}}, out), "");
    EXPECT_EQ(read(out), "old");
    // Nothing else is left in the folder.
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_.path())) ++entries;
    EXPECT_EQ(entries, 1u);
}

TEST(FormatForPath, ByExtensionInAnyCase) {
    EXPECT_EQ(formatForPath("a.png"), Format::png);
    EXPECT_EQ(formatForPath("dir.v2/a.Svg"), Format::svg);
    EXPECT_EQ(formatForPath("a.PDF"), Format::pdf);
    EXPECT_EQ(formatForPath("a.json"), Format::json);
    EXPECT_EQ(formatForPath("dir.png/a"), std::nullopt);
    EXPECT_EQ(formatForPath("a.jpeg"), std::nullopt);
    EXPECT_EQ(formatForPath(""), std::nullopt);
}

}  // namespace
}  // namespace render
