#include "app/gui/usage_chart.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/gui/accessible_text.h"
#include "app/gui/palette.h"
#include "extension/shared/human_bytes.h"
#include "platform/foundation/localization.h"

namespace brimlet::gui {
namespace {

constexpr double kRight = 6, kTop = 8, kBottom = 20, kGap = 6;  // room for the labels

// The used bytes' range drawn: the figures' own, widened so that a flat series sits in the
// middle and a line never touches the frame.
std::pair<double, double> usedRange(const std::vector<RecordSummary>& records) {
    double low = static_cast<double>(records.front().used), high = low;
    for (const RecordSummary& r : records) {
        low = std::min(low, static_cast<double>(r.used));
        high = std::max(high, static_cast<double>(r.used));
    }
    const double margin =
        std::max((high - low) * 0.1, static_cast<double>(records.back().total) * 0.005 + 1);
    return {std::max(0.0, low - margin), high + margin};
}

}  // namespace

std::string shortDate(foundation::Date date) {
    const auto when = Glib::DateTime::create_now_local(static_cast<gint64>(date.unixSeconds()));
    // A short date ("Nov 29"), as GLib formats it; the order is the language's.
    return when ? when.format(foundation::localizedFormat("%b %-d")).raw() : std::string();
}

UsageChart::UsageChart() {
    set_content_height(110);
    set_content_width(300);
    set_draw_func(sigc::mem_fun(*this, &UsageChart::draw));  // a drawing area reads as an image
}

void UsageChart::show(std::vector<RecordSummary> records) {
    records_ = std::move(records);
    set_visible(records_.size() >= 2);
    if (records_.size() >= 2) {
        const RecordSummary &first = records_.front(), &last = records_.back();
        setAccessibleLabel(
            *this, foundation::formatLocalized(
                       foundation::localizedFormat("Used space over %1$d scans: %2$@ on %3$@, "
                                                   "%4$@ on %5$@, of %6$@"),
                       {static_cast<std::int64_t>(records_.size()), humanBytes(first.used),
                        shortDate(first.time), humanBytes(last.used), shortDate(last.time),
                        humanBytes(last.total)}));
    }
    queue_draw();
}

Glib::RefPtr<Pango::Layout> UsageChart::labelLayout(const std::string& text) {
    auto layout = create_pango_layout(text);
    Pango::FontDescription font = get_pango_context()->get_font_description();
    if (font.get_size() > 0) {
        font.set_size(font.get_size() * 17 / 20);
        layout->set_font_description(font);
    }
    return layout;
}

void UsageChart::drawLabel(const Cairo::RefPtr<Cairo::Context>& cr, const std::string& text,
                           double x, double y, double xAlign) {
    auto layout = labelLayout(text);
    int w = 0, h = 0;
    layout->get_pixel_size(w, h);
    cr->move_to(x - w * xAlign, y - h / 2.0);
    layout->show_in_cairo_context(cr);
}

void UsageChart::draw(const Cairo::RefPtr<Cairo::Context>& cr, int width, int height) {
    if (records_.size() < 2) return;
    const Gdk::RGBA fg = get_style_context()->get_color();
    const auto [low, high] = usedRange(records_);
    const std::string highText = humanBytes(static_cast<std::int64_t>(high));
    const std::string lowText = humanBytes(static_cast<std::int64_t>(low));
    int gutter = 0;
    for (const std::string& text : {highText, lowText}) {
        int w = 0, h = 0;
        labelLayout(text)->get_pixel_size(w, h);
        gutter = std::max(gutter, w);
    }
    const double x0 = gutter + kGap, x1 = width - kRight, y0 = kTop, y1 = height - kBottom;
    if (x1 - x0 < 20 || y1 - y0 < 20) return;
    const double t0 = records_.front().time.secondsSinceReferenceDate;
    const double span = records_.back().time.secondsSinceReferenceDate - t0;
    // Scans of one moment (or a clock that went back) stand side by side, in their order.
    const double steps = static_cast<double>(records_.size() - 1);
    const auto at = [&, lo = low, hi = high](const RecordSummary& r) {
        const double along = span > 0 ? (r.time.secondsSinceReferenceDate - t0) / span
                                      : static_cast<double>(&r - records_.data()) / steps;
        const double x = x0 + std::clamp(along, 0.0, 1.0) * (x1 - x0);
        const double y = y1 - (static_cast<double>(r.used) - lo) / (hi - lo) * (y1 - y0);
        return std::pair{x, y};
    };
    // The frame: a baseline and a faint top line.
    cr->set_line_width(1);
    cr->set_source_rgba(fg.get_red(), fg.get_green(), fg.get_blue(), 0.15);
    cr->move_to(x0, std::round(y0) + 0.5);
    cr->line_to(x1, std::round(y0) + 0.5);
    cr->move_to(x0, std::round(y1) + 0.5);
    cr->line_to(x1, std::round(y1) + 0.5);
    cr->stroke();

    const RecordSummary& last = records_.back();
    const Rgb c = fullnessColor(
        last.total > 0 ? static_cast<double>(last.used) / static_cast<double>(last.total) : 0.0);
    for (const RecordSummary& r : records_) {
        const auto [x, y] = at(r);
        if (&r == &records_.front()) {
            cr->move_to(x, y);
        } else {
            cr->line_to(x, y);
        }
    }
    cr->set_source_rgb(c.red, c.green, c.blue);
    cr->set_line_width(2);
    cr->set_line_join(Cairo::Context::LineJoin::ROUND);
    cr->stroke_preserve();
    cr->line_to(at(last).first, y1);
    cr->line_to(at(records_.front()).first, y1);
    cr->close_path();
    cr->set_source_rgba(c.red, c.green, c.blue, 0.15);
    cr->fill();
    for (const RecordSummary& r : records_) {
        const auto [x, y] = at(r);
        cr->arc(x, y, 2.5, 0, 2 * std::numbers::pi);
        cr->set_source_rgb(c.red, c.green, c.blue);
        cr->fill();
    }

    cr->set_source_rgba(fg.get_red(), fg.get_green(), fg.get_blue(), 0.7);
    drawLabel(cr, highText, x0 - kGap, y0, 1);
    drawLabel(cr, lowText, x0 - kGap, y1, 1);
    drawLabel(cr, shortDate(records_.front().time), x0, y1 + kBottom / 2, 0);
    drawLabel(cr, shortDate(last.time), x1, y1 + kBottom / 2, 1);
}

}  // namespace brimlet::gui
