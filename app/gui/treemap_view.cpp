#include "app/gui/treemap_view.h"
#include "app/gui/accessible_text.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <numbers>

#include "app/gui/format.h"
#include "app/gui/palette.h"
#include "app/scan/scan.h"
#include "extension/shared/human_bytes.h"
#include "platform/foundation/drawn_name.h"
#include "platform/foundation/localization.h"

namespace brimlet::gui {
namespace {

constexpr double kGap = 1.0;     // between blocks, each side
constexpr double kRadius = 4.0;  // corners of a block big enough to show them
constexpr double kPad = 6.0;     // label inset
// A block under 3 px a side is never drawn (it loses kGap on each side), nor outlined.
constexpr double kSmallestDrawn = 9.0;

void roundedRect(const Cairo::RefPtr<Cairo::Context>& cr, const TreemapRect& r) {
    const double radius = std::min({kRadius, r.width / 2, r.height / 2});
    const double x = r.x, y = r.y, w = r.width, h = r.height;
    cr->begin_new_sub_path();
    cr->arc(x + w - radius, y + radius, radius, -std::numbers::pi / 2, 0);
    cr->arc(x + w - radius, y + h - radius, radius, 0, std::numbers::pi / 2);
    cr->arc(x + radius, y + h - radius, radius, std::numbers::pi / 2, std::numbers::pi);
    cr->arc(x + radius, y + radius, radius, std::numbers::pi, 3 * std::numbers::pi / 2);
    cr->close_path();
}

TreemapRect inset(const TreemapRect& r, double by) {
    return {r.x + by, r.y + by, std::max(0.0, r.width - 2 * by), std::max(0.0, r.height - 2 * by)};
}

}  // namespace

TreemapView::TreemapView() {
    set_hexpand(true);
    set_vexpand(true);
    set_content_width(320);
    set_content_height(240);
    set_has_tooltip(true);
    add_css_class("treemap");
    set_draw_func(sigc::mem_fun(*this, &TreemapView::draw));
    signal_resize().connect([this](int, int) { laidOutWidth_ = -1; });
    signal_query_tooltip().connect(
        [this](int x, int y, bool, const Glib::RefPtr<Gtk::Tooltip>& tooltip) {
            const auto row = rowAt(x, y);
            if (!row) return false;
            const ExplorerRow& r = explorer_->rows()[*row];
            tooltip->set_text(shownName(r) + "\n" +
                              foundation::formatLocalized(
                                  foundation::localizedFormat("%1$@ · %2$@ of this folder"),
                                  {humanBytes(r.size), percent(r.share)}));
            return true;
        },
        false);
    auto click = Gtk::GestureClick::create();
    click->signal_pressed().connect([this](int presses, double x, double y) {
        const auto row = rowAt(x, y);
        if (!row) return;
        if (presses == 2) {
            signalActivate.emit(*row);
        } else {
            signalSelect.emit(*row);
        }
    });
    add_controller(click);
    auto secondary = Gtk::GestureClick::create();
    secondary->set_button(GDK_BUTTON_SECONDARY);
    secondary->signal_pressed().connect([this](int, double x, double y) {
        if (const auto row = rowAt(x, y)) signalMenu.emit(*row, x, y);
    });
    add_controller(secondary);
}

void TreemapView::show(const Explorer& explorer) {
    explorer_ = &explorer;
    laidOutWidth_ = -1;
    selected_.reset();
    const std::string shown = foundation::drawnName(
        explorer.current().name.empty() ? explorer.tree().rootPath() : explorer.current().name);
    setAccessibleLabel(
        *this, foundation::formatLocalized(foundation::localizedFormat("Treemap of %@"), {shown}));
    queue_draw();
}

void TreemapView::setSelected(std::optional<std::size_t> row) {
    if (row == selected_) return;
    selected_ = row;
    queue_draw();
}

void TreemapView::layout(int width, int height) {
    laidOutWidth_ = width;
    laidOutHeight_ = height;
    cut_ = {};
    restFolders_ = restBytes_ = 0;
    rest_.reset();
    sizes_.clear();
    insides_.clear();
    if (explorer_ == nullptr) return;
    sizes_.reserve(explorer_->rows().size());
    for (const auto& row : explorer_->rows()) sizes_.push_back(row.size);
    cut_ = cutTreemap(sizes_, TreemapRect{0, 0, double(width), double(height)}, kSmallestDrawn);
    for (const std::size_t i : cut_.restIndices) {
        const ExplorerRow& row = explorer_->rows()[i];
        restFolders_ += row.folder != nullptr ? 1 : 0;
        restBytes_ += row.size;
    }
    insides_.reserve(cut_.blocks.size());
    for (const auto& block : cut_.blocks) {
        const Folder* folder = explorer_->rows()[block.index].folder;
        insides_.push_back(folder != nullptr ? inside(*folder, block.rect) : Inside{});
    }
}

TreemapView::Inside TreemapView::inside(const Folder& folder, const TreemapRect& r) const {
    // Below the label, and only where the folders inside could be told apart.
    constexpr double kLabelBand = 38, kMinWidth = 48, kMinHeight = 24;
    constexpr std::size_t kMostInside = 48;
    const TreemapRect area{r.x + 4, r.y + kLabelBand, r.width - 8, r.height - kLabelBand - 4};
    if (area.width < kMinWidth || area.height < kMinHeight || folder.children.empty()) return {};
    // Each folder inside, and the files directly inside as one more share (left undrawn, in the
    // block's own colour), so the grid keeps the folder's proportions.
    std::vector<std::int64_t> sizes;
    sizes.reserve(folder.children.size() + 1);
    std::int64_t files = folder.size;
    for (const Folder* child : folder.children) {
        sizes.push_back(child->size);
        files -= child->size;
    }
    // The biggest few; the rest would be specks.
    const std::size_t kept = std::min(kMostInside, sizes.size());
    std::partial_sort(sizes.begin(), sizes.begin() + static_cast<std::ptrdiff_t>(kept), sizes.end(),
                      std::greater<>());
    sizes.resize(kept);
    sizes.push_back(std::max<std::int64_t>(files, 0));
    Inside result;
    for (const auto& block : squarify(sizes, area)) {
        if (block.index + 1 < sizes.size()) result.rects.push_back(block.rect);
    }
    return result;
}

std::optional<std::size_t> TreemapView::rowAt(double x, double y) {
    const auto holds = [x, y](const TreemapRect& r) {
        return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
    };
    for (const auto& block : cut_.blocks) {
        if (holds(block.rect)) return block.index;
    }
    if (!holds(cut_.rest)) return std::nullopt;
    if (!rest_) rest_ = layOutRest(cut_, sizes_);
    for (const auto& block : *rest_) {
        if (holds(block.rect)) return block.index;
    }
    return std::nullopt;
}

void TreemapView::drawRest(const Cairo::RefPtr<Cairo::Context>& cr, const Gdk::RGBA& fg) {
    const TreemapRect r = inset(cut_.rest, kGap);
    if (r.width < 1 || r.height < 1) return;
    roundedRect(cr, r);
    cr->set_source_rgba(fg.get_red(), fg.get_green(), fg.get_blue(), 0.10);
    cr->fill();
    if (restFolders_ == 0 || r.width < 2 * kPad + 60 || r.height < 2 * kPad + 34) return;
    auto layout = create_pango_layout("");
    layout->set_width(static_cast<int>((r.width - 2 * kPad) * PANGO_SCALE));
    layout->set_ellipsize(Pango::EllipsizeMode::END);
    const std::string count = foundation::formatLocalized(
        foundation::localizedPlural("%@ folder too small to draw", "%@ folders too small to draw",
                                    static_cast<std::uint64_t>(restFolders_)),
        {groupDigits(restFolders_)});
    layout->set_markup("<span weight=\"600\">" + Glib::Markup::escape_text(count) +
                       "</span>\n<span alpha=\"80%\">" +
                       Glib::Markup::escape_text(humanBytes(restBytes_)) + "</span>");
    cr->move_to(r.x + kPad, r.y + kPad - 2);
    cr->set_source_rgba(fg.get_red(), fg.get_green(), fg.get_blue(), 0.75);
    layout->show_in_cairo_context(cr);
}

void TreemapView::drawLabel(const Cairo::RefPtr<Cairo::Context>& cr, const ExplorerRow& row,
                            const TreemapRect& r, bool dark) {
    if (r.width < 40 || r.height < 22) return;
    // The name in semibold, the size on a second line where the block is tall enough.
    auto layout = create_pango_layout("");
    layout->set_width(static_cast<int>((r.width - 2 * kPad) * PANGO_SCALE));
    layout->set_ellipsize(Pango::EllipsizeMode::END);
    const Glib::ustring name = Glib::Markup::escape_text(shownName(row));
    const Glib::ustring size = Glib::Markup::escape_text(humanBytes(row.size));
    layout->set_markup("<span weight=\"600\">" + name + "</span>\n<span alpha=\"80%\">" + size +
                       "</span>");
    int w = 0, h = 0;
    layout->get_pixel_size(w, h);
    if (h > r.height - 2 * kPad + 2) {
        layout->set_markup("<span weight=\"600\">" + name + "</span>");
        layout->get_pixel_size(w, h);
        if (h > r.height - 2 * kPad + 4) return;
    }
    // A name cut to its first letter or two says nothing: no label then.
    if (layout->is_ellipsized() && r.width < 64) return;
    cr->move_to(r.x + kPad, r.y + kPad - 2);
    cr->set_source_rgba(1, 1, 1, dark ? 0.92 : 0.98);
    layout->show_in_cairo_context(cr);
}

void TreemapView::draw(const Cairo::RefPtr<Cairo::Context>& cr, int width, int height) {
    if (explorer_ == nullptr) return;
    if (width != laidOutWidth_ || height != laidOutHeight_) layout(width, height);
    const Gdk::RGBA fg = get_style_context()->get_color();
    const bool dark = isDark(fg);
    const auto& rows = explorer_->rows();
    drawRest(cr, fg);
    for (std::size_t b = 0; b < cut_.blocks.size(); ++b) {
        const TreemapBlock& block = cut_.blocks[b];
        const ExplorerRow& row = rows[block.index];
        const TreemapRect r = inset(block.rect, kGap);
        if (r.width < 1 || r.height < 1) continue;
        const Rgb c = kindColor(row.biggestKind, dark);
        roundedRect(cr, r);
        // A soft light from the top left gives each block some depth.
        auto shade = Cairo::LinearGradient::create(r.x, r.y, r.x + r.width, r.y + r.height);
        const double lift = row.folder == nullptr ? 0.0 : 0.08;
        shade->add_color_stop_rgb(0, std::min(1.0, c.red + lift), std::min(1.0, c.green + lift),
                                  std::min(1.0, c.blue + lift));
        shade->add_color_stop_rgb(1, c.red * 0.9, c.green * 0.9, c.blue * 0.9);
        cr->set_source(shade);
        cr->fill();
        for (const TreemapRect& in : insides_[b].rects) {
            const TreemapRect cell = inset(in, 0.75);
            if (cell.width < 2 || cell.height < 2) continue;
            roundedRect(cr, cell);
            cr->set_source_rgba(1, 1, 1, 0.10);
            cr->fill_preserve();
            cr->set_source_rgba(0, 0, 0, 0.16);
            cr->set_line_width(1);
            cr->stroke();
        }
        drawLabel(cr, row, r, dark);
    }
    if (selected_) {
        for (const auto& block : cut_.blocks) {
            if (block.index != *selected_) continue;
            roundedRect(cr, inset(block.rect, kGap + 1));
            cr->set_line_width(2.5);
            cr->set_source_rgba(fg.get_red(), fg.get_green(), fg.get_blue(), 0.9);
            cr->stroke();
        }
    }
}

}  // namespace brimlet::gui
