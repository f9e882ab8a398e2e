#include "platform/ui/render/painter.h"

#include <algorithm>
#include <cmath>

namespace render::detail {

namespace {

constexpr double kPi = 3.14159265358979323846;
// The accented tile: #1C1C1E, washed with the tint from this alpha at the top to the next at
// the bottom.
constexpr ui::RGBA kAccentedTile{0x1C / 255.0, 0x1C / 255.0, 0x1E / 255.0, 1};
constexpr double kWashTop = 0.16;
constexpr double kWashBottom = 0.05;

struct Painter {
    cairo_t* cr;
    const ui::LaidOutTile& tile;
    const PangoText& text;

    bool accented() const { return tile.renderingMode == ui::RenderingMode::accented; }

    // In accented rendering every colour becomes the tint (accentable) or white, keeping alpha.
    ui::RGBA mapped(const ui::RGBA& c, bool accentable) const {
        if (!accented()) return c;
        const ui::RGBA group = accentable ? tile.tint : ui::RGBA{1, 1, 1, 1};
        return {group.red, group.green, group.blue, c.alpha * group.alpha};
    }

    void setSource(const ui::Paint& paint, bool accentable, const ui::Rect& frame) const {
        if (paint.kind == ui::Paint::Kind::solid) {
            const ui::RGBA c = mapped(paint.color, accentable);
            cairo_set_source_rgba(cr, c.red, c.green, c.blue, c.alpha);
            return;
        }
        const CairoPattern pattern(cairo_pattern_create_linear(
            frame.x + paint.startPoint.x * frame.width, frame.y + paint.startPoint.y * frame.height,
            frame.x + paint.endPoint.x * frame.width, frame.y + paint.endPoint.y * frame.height));
        const std::size_t n = paint.stops.size();
        for (std::size_t i = 0; i < n; ++i) {
            const double offset =
                n == 1 ? 0.0 : static_cast<double>(i) / static_cast<double>(n - 1);
            const ui::RGBA c = mapped(paint.stops[i], accentable);
            cairo_pattern_add_color_stop_rgba(pattern.get(), offset, c.red, c.green, c.blue,
                                              c.alpha);
        }
        cairo_set_source(cr, pattern.get());
    }

    static void roundedRect(cairo_t* c, const ui::Rect& r, double radius) {
        radius = std::max(0.0, std::min({radius, r.width / 2, r.height / 2}));
        if (radius == 0) {
            cairo_rectangle(c, r.x, r.y, r.width, r.height);
            return;
        }
        cairo_new_sub_path(c);
        cairo_arc(c, r.maxX() - radius, r.y + radius, radius, -kPi / 2, 0);
        cairo_arc(c, r.maxX() - radius, r.maxY() - radius, radius, 0, kPi / 2);
        cairo_arc(c, r.x + radius, r.maxY() - radius, radius, kPi / 2, kPi);
        cairo_arc(c, r.x + radius, r.y + radius, radius, kPi, 3 * kPi / 2);
        cairo_close_path(c);
    }

    void drawShape(const ui::LaidOutNode& node, const ui::LaidOutShape& shape) const {
        if (!node.paint) return;
        if (shape.trimTo <= shape.trimFrom) return;  // an outline of no length draws nothing
        const ui::Rect& o = shape.outline;
        cairo_new_path(cr);
        if (shape.kind == ui::ShapeKind::circle) {
            // From three o'clock, clockwise on screen (cairo's angles grow toward +y).
            const double r = std::min(o.width, o.height) / 2;
            const bool whole = shape.trimFrom <= 0 && shape.trimTo >= 1;
            cairo_arc(cr, o.midX(), o.midY(), r, 2 * kPi * shape.trimFrom, 2 * kPi * shape.trimTo);
            if (whole) cairo_close_path(cr);
        } else if (shape.kind == ui::ShapeKind::rectangle) {
            cairo_rectangle(cr, o.x, o.y, o.width, o.height);
        } else {
            roundedRect(cr, o, shape.cornerRadius);
        }
        setSource(*node.paint, node.accentable, node.frame);
        if (shape.stroke) {
            cairo_set_line_width(cr, shape.stroke->lineWidth);
            cairo_set_line_cap(
                cr, shape.stroke->lineCap == ui::LineCap::round    ? CAIRO_LINE_CAP_ROUND
                    : shape.stroke->lineCap == ui::LineCap::square ? CAIRO_LINE_CAP_SQUARE
                                                                   : CAIRO_LINE_CAP_BUTT);
            cairo_set_line_join(
                cr, shape.stroke->lineJoin == ui::LineJoin::round   ? CAIRO_LINE_JOIN_ROUND
                    : shape.stroke->lineJoin == ui::LineJoin::bevel ? CAIRO_LINE_JOIN_BEVEL
                                                                    : CAIRO_LINE_JOIN_MITER);
            cairo_set_miter_limit(cr, shape.stroke->miterLimit);
            if (shape.stroke->lineWidth > 0) cairo_stroke(cr);
        } else {
            cairo_fill(cr);
        }
        cairo_new_path(cr);
    }

    void drawText(const ui::LaidOutNode& node, const ui::LaidOutText& t) const {
        if (!node.paint) return;
        ui::Font font = t.font;
        font.pointSize *= t.scale;
        const double tracking = t.tracking * t.scale;
        pango_cairo_update_context(cr, text.context());
        for (std::size_t i = 0; i < t.lines.size(); ++i) {
            const std::string& line = t.lines[i];
            if (line.empty()) continue;
            const auto layout = text.makeLayout(line, font, tracking);
            PangoRectangle logical;
            pango_layout_get_extents(layout.get(), nullptr, &logical);
            const double width = static_cast<double>(logical.width) / PANGO_SCALE;
            double x = node.frame.x;
            if (t.alignment == ui::TextAlignment::center) x += (node.frame.width - width) / 2;
            if (t.alignment == ui::TextAlignment::trailing) x += node.frame.width - width;
            const double y = node.frame.y + static_cast<double>(i) * t.lineHeight;
            cairo_move_to(cr, x, y);
            setSource(*node.paint, node.accentable, node.frame);
            pango_cairo_show_layout(cr, layout.get());
        }
        cairo_new_path(cr);
    }

    // A pie chart glyph: a ring with one quarter slice lifted out towards the top-right.
    void drawPie(const ui::LaidOutNode& node) const {
        const ui::Rect& f = node.frame;
        const double side = std::min(f.width, f.height);
        const double cx = f.midX();
        const double cy = f.midY();
        const double r = side * 0.40;
        const double line = side * 0.085;
        setSource(*node.paint, node.accentable, f);
        cairo_new_path(cr);
        cairo_set_line_width(cr, line);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_arc(cr, cx, cy, r, 0.12, 2 * kPi - kPi / 2 - 0.12);
        cairo_stroke(cr);
        // Interior lines from the centre to where the slice was taken.
        cairo_move_to(cr, cx, cy - r);
        cairo_line_to(cr, cx, cy);
        cairo_line_to(cr, cx + r, cy);
        cairo_stroke(cr);
        const double lift = side * 0.07;
        cairo_move_to(cr, cx + lift, cy - lift);
        cairo_arc(cr, cx + lift, cy - lift, r + line / 2, -kPi / 2, 0);
        cairo_close_path(cr);
        cairo_fill(cr);
    }

    void drawImage(const ui::LaidOutNode& node, const ui::LaidOutImage& image) const {
        if (!node.paint) return;
        if (image.systemName == "chart.pie") {
            drawPie(node);
            return;
        }
        // Unknown symbols: a square outline, so a missing glyph is visible.
        const ui::Rect& f = node.frame;
        setSource(*node.paint, node.accentable, f);
        cairo_set_line_width(cr, std::max(1.0, f.width * 0.08));
        cairo_rectangle(cr, f.x + f.width * 0.15, f.y + f.height * 0.15, f.width * 0.7,
                        f.height * 0.7);
        cairo_stroke(cr);
    }

    void drawDivider(const ui::LaidOutNode& node) const {
        if (!node.paint) return;
        setSource(*node.paint, node.accentable, node.frame);
        // Snapped to whole device pixels, at least one thick, so the line stays crisp.
        double x0 = node.frame.x, y0 = node.frame.y;
        double x1 = node.frame.maxX(), y1 = node.frame.maxY();
        cairo_user_to_device(cr, &x0, &y0);
        cairo_user_to_device(cr, &x1, &y1);
        x0 = std::round(x0);
        y0 = std::round(y0);
        x1 = std::max(std::round(x1), x0 + 1);
        y1 = std::max(std::round(y1), y0 + 1);
        cairo_device_to_user(cr, &x0, &y0);
        cairo_device_to_user(cr, &x1, &y1);
        cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
        cairo_fill(cr);
    }

    void draw(const ui::LaidOutNode& node) const {
        cairo_save(cr);
        if (node.rotation.inRadians() != 0) {
            const double ax = node.frame.x + node.anchor.x * node.frame.width;
            const double ay = node.frame.y + node.anchor.y * node.frame.height;
            cairo_translate(cr, ax, ay);
            cairo_rotate(cr, node.rotation.inRadians());
            cairo_translate(cr, -ax, -ay);
        }
        const bool faded = node.opacity < 1;
        if (faded) cairo_push_group(cr);

        if (const auto* shape = std::get_if<ui::LaidOutShape>(&node.content)) {
            drawShape(node, *shape);
        } else if (const auto* t = std::get_if<ui::LaidOutText>(&node.content)) {
            drawText(node, *t);
        } else if (const auto* image = std::get_if<ui::LaidOutImage>(&node.content)) {
            drawImage(node, *image);
        } else if (std::holds_alternative<ui::LaidOutDivider>(node.content)) {
            drawDivider(node);
        } else if (node.paint) {
            // A colour, a gradient or a background fills the node's frame.
            setSource(*node.paint, node.accentable, node.frame);
            cairo_rectangle(cr, node.frame.x, node.frame.y, node.frame.width, node.frame.height);
            cairo_fill(cr);
        }
        for (const ui::LaidOutNode& child : node.children) draw(child);

        if (faded) {
            cairo_pop_group_to_source(cr);
            cairo_paint_with_alpha(cr, std::max(node.opacity, 0.0));
        }
        cairo_restore(cr);
    }

    void paint() const {
        const ui::Rect whole{0, 0, tile.size.width, tile.size.height};
        cairo_save(cr);
        cairo_new_path(cr);
        roundedRect(cr, whole, tile.cornerRadius);
        cairo_clip(cr);
        if (accented()) {
            cairo_set_source_rgb(cr, kAccentedTile.red, kAccentedTile.green, kAccentedTile.blue);
            cairo_paint(cr);
            const CairoPattern wash(cairo_pattern_create_linear(0, 0, 0, whole.height));
            cairo_pattern_add_color_stop_rgba(wash.get(), 0, tile.tint.red, tile.tint.green,
                                              tile.tint.blue, kWashTop);
            cairo_pattern_add_color_stop_rgba(wash.get(), 1, tile.tint.red, tile.tint.green,
                                              tile.tint.blue, kWashBottom);
            cairo_set_source(cr, wash.get());
            cairo_paint(cr);
        } else if (tile.containerBackground) {
            draw(*tile.containerBackground);
        } else {
            const ui::RGBA bg = ui::backgroundColor(tile.colorScheme);
            cairo_set_source_rgb(cr, bg.red, bg.green, bg.blue);
            cairo_paint(cr);
        }
        draw(tile.content);
        cairo_restore(cr);
    }
};

}  // namespace

void paintTile(cairo_t* cr, const ui::LaidOutTile& tile, const PangoText& text) {
    Painter{cr, tile, text}.paint();
}

}  // namespace render::detail
