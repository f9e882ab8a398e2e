#include "app/gui/kind_bars.h"
#include "app/gui/accessible_text.h"

#include <algorithm>
#include <utility>

#include "app/gui/kind_swatch.h"
#include "app/gui/size_bar.h"
#include "app/scan/scan.h"
#include "extension/shared/human_bytes.h"
#include "platform/foundation/drawn_name.h"
#include "platform/foundation/localization.h"

namespace brimlet::gui {

KindBars::KindBars() : Gtk::Box(Gtk::Orientation::VERTICAL, 6) {
    add_css_class("kind-bars");
    heading_.set_xalign(0);
    heading_.add_css_class("heading");
    heading_.add_css_class("dim-label");
    append(heading_);
    bars_.set_selection_mode(Gtk::SelectionMode::NONE);
    bars_.set_homogeneous(true);
    bars_.set_min_children_per_line(2);
    bars_.set_max_children_per_line(4);
    bars_.set_column_spacing(24);
    bars_.set_row_spacing(6);
    append(bars_);
}

void KindBars::show(const Explorer& explorer) {
    const std::string shown = foundation::drawnName(explorer.current().parent == nullptr
                                                        ? rootNameOf(explorer.tree().rootPath())
                                                        : explorer.current().name);
    heading_.set_text(
        foundation::formatLocalized(foundation::localizedFormat("By kind in %@"), {shown}));
    while (Gtk::Widget* child = bars_.get_first_child()) bars_.remove(*child);
    std::vector<std::pair<std::int64_t, FileKind>> kinds;
    for (const FileKind kind : kAllFileKinds) {
        const std::int64_t bytes = explorer.kinds()[static_cast<std::size_t>(kind)];
        if (bytes > 0) kinds.emplace_back(bytes, kind);
    }
    std::sort(kinds.begin(), kinds.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    const std::int64_t biggest = kinds.empty() ? 1 : kinds.front().first;
    for (const auto& [bytes, kind] : kinds) {
        auto* row = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 8);
        auto* swatch = Gtk::make_managed<KindSwatch>();
        swatch->setKind(kind);
        row->append(*swatch);
        auto* name = Gtk::make_managed<Gtk::Label>(std::string(kindLabel(kind)));
        name->set_xalign(0);
        name->set_size_request(88, -1);
        row->append(*name);
        auto* bar = Gtk::make_managed<SizeBar>();
        bar->set(static_cast<double>(bytes) / static_cast<double>(biggest), kind);
        bar->set_size_request(80, -1);
        row->append(*bar);
        auto* size = Gtk::make_managed<Gtk::Label>(humanBytes(bytes));
        size->set_xalign(1);
        size->set_size_request(72, -1);
        size->add_css_class("numeric");
        size->add_css_class("dim-label");
        row->append(*size);
        setAccessibleLabel(*row, std::string(kindLabel(kind)) + ", " + humanBytes(bytes));
        bars_.append(*row);
    }
    set_visible(!kinds.empty());
}

}  // namespace brimlet::gui
