#include "app/gui/summary_page.h"
#include "app/gui/accessible_text.h"

#include <algorithm>

#include "app/gui/ring_view.h"
#include "app/gui/size_bar.h"
#include "app/scan/kinds.h"
#include "extension/shared/human_bytes.h"
#include "platform/foundation/drawn_name.h"
#include "platform/foundation/localization.h"

namespace brimlet::gui {
namespace {

std::optional<FileKind> kindNamed(const std::string& label) {
    for (const FileKind kind : kAllFileKinds) {
        if (kindLabel(kind) == label) return kind;
    }
    return std::nullopt;
}

Gtk::Label* label(const std::string& text, std::initializer_list<const char*> classes = {}) {
    auto* l = Gtk::make_managed<Gtk::Label>(text);
    l->set_xalign(0);
    for (const char* c : classes) l->add_css_class(c);
    return l;
}

}  // namespace

SummaryPage::SummaryPage(BaseObjectType* object, const Glib::RefPtr<Gtk::Builder>&)
    : Gtk::Box(object) {}

std::string SummaryPage::scannedWhen(const DiskSnapshot& snapshot) {
    const auto when =
        Glib::DateTime::create_now_local(static_cast<gint64>(snapshot.generatedAt.unixSeconds()));
    const auto now = Glib::DateTime::create_now_local();
    const std::string time = when.format("%H:%M").raw();
    if (when.get_year() == now.get_year() && when.get_day_of_year() == now.get_day_of_year()) {
        return foundation::formatLocalized(foundation::localizedFormat("Scanned today at %@"),
                                           {time});
    }
    if (now.add_days(-1).get_day_of_year() == when.get_day_of_year() &&
        now.add_days(-1).get_year() == when.get_year()) {
        return foundation::formatLocalized(foundation::localizedFormat("Scanned yesterday at %@"),
                                           {time});
    }
    // TRANSLATORS: a date as g_date_time_format() writes it ("%-e" is the day without padding,
    // "%B" the month's name in the user's language).
    const std::string day = when.format(foundation::localizedFormat("%-e %B %Y")).raw();
    return foundation::formatLocalized(foundation::localizedFormat("Scanned on %1$@ at %2$@"),
                                       {day, time});
}

Gtk::Widget* SummaryPage::header(const DiskSnapshot& snapshot) {
    auto* row = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 16);
    auto* ring = Gtk::make_managed<RingView>(56);
    ring->setFraction(snapshot.usedFraction);
    row->append(*ring);
    auto* texts = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 2);
    texts->set_valign(Gtk::Align::CENTER);
    const std::string title =
        foundation::drawnName(snapshot.rootName.value_or(snapshot.volumeName));
    auto* name = label(title, {"title-1"});
    name->set_ellipsize(Pango::EllipsizeMode::MIDDLE);
    texts->append(*name);
    texts->append(
        *label(foundation::formatLocalized(
                   foundation::localizedFormat("%1$@ free of %2$@ on %3$@ · %4$@ used"),
                   {humanBytes(snapshot.free), humanBytes(snapshot.total),
                    foundation::drawnName(snapshot.volumeName), humanBytes(snapshot.used)}),
               {"dim-label"}));
    row->append(*texts);
    return row;
}

Gtk::Widget* SummaryPage::list(const std::string& title,
                               const std::vector<DiskSnapshot::Item>& items, bool folders) {
    auto* box = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 6);
    box->append(*label(title, {"heading"}));
    auto* rows = Gtk::make_managed<Gtk::ListBox>();
    rows->add_css_class("boxed-list");
    setAccessibleLabel(*rows, title);
    rows->set_selection_mode(Gtk::SelectionMode::NONE);
    std::int64_t biggest = 1;
    for (const auto& item : items) biggest = std::max(biggest, item.size);
    for (const auto& item : items) {
        auto* grid = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 12);
        grid->add_css_class("summary-row");
        auto* name = label(foundation::drawnName(item.name));
        name->set_ellipsize(Pango::EllipsizeMode::MIDDLE);
        name->set_size_request(180, -1);
        grid->append(*name);
        auto* bar = Gtk::make_managed<SizeBar>();
        bar->set(static_cast<double>(item.size) / static_cast<double>(biggest),
                 folders ? std::nullopt : kindNamed(item.name));
        grid->append(*bar);
        auto* size = label(humanBytes(item.size), {"numeric"});
        size->set_xalign(1);
        size->set_size_request(80, -1);
        grid->append(*size);
        auto* row = Gtk::make_managed<Gtk::ListBoxRow>();
        row->set_child(*grid);
        const std::string accessible =
            foundation::drawnName(item.name) + ", " + humanBytes(item.size);
        setAccessibleLabel(*row, accessible);
        const bool scannable = folders && !root_.empty();
        row->set_activatable(scannable);
        if (scannable) {
            row->set_tooltip_text(
                foundation::formatLocalized(foundation::localizedFormat("Scan %@ to explore it"),
                                            {foundation::drawnName(item.name)}));
            const std::string path = (root_ == "/" ? "" : root_) + "/" + item.name;
            paths_[row] = path;
            auto* go = Gtk::make_managed<Gtk::Image>();
            go->set_from_icon_name("go-next-symbolic");
            go->add_css_class("dim-label");
            grid->append(*go);
        }
        rows->append(*row);
    }
    rows->signal_row_activated().connect([this](Gtk::ListBoxRow* row) {
        if (const auto found = paths_.find(row); found != paths_.end()) scanFolder_(found->second);
    });
    box->append(*rows);
    return box;
}

void SummaryPage::show(const DiskSnapshot& snapshot, const std::string& root,
                       std::function<void(const std::string&)> scanFolder) {
    root_ = root;
    scanFolder_ = std::move(scanFolder);
    while (Gtk::Widget* child = get_first_child()) remove(*child);
    paths_.clear();
    append(*header(snapshot));
    if (!snapshot.topFolders.empty()) {
        append(*list(foundation::localizedFormat("Biggest folders"), snapshot.topFolders, true));
    }
    if (!snapshot.topKinds.empty()) {
        append(*list(foundation::localizedFormat("By kind"), snapshot.topKinds, false));
    }
    auto* offer =
        label(root.empty() ? foundation::localizedFormat(
                                 "The last scan keeps only the biggest folders. Scan again to "
                                 "explore every folder.")
                           : foundation::localizedFormat(
                                 "The last scan keeps only the biggest folders. Scan again to "
                                 "explore every folder, or pick one above to scan it."),
              {"dim-label"});
    offer->set_wrap(true);
    append(*offer);
    auto* scan = Gtk::make_managed<Gtk::Button>(foundation::localizedFormat("Scan Again"));
    scan->set_action_name("win.scan");
    scan->set_halign(Gtk::Align::CENTER);
    scan->add_css_class("pill");
    scan->add_css_class("suggested-action");
    append(*scan);
}

}  // namespace brimlet::gui
