#include "app/gui/scanning_page.h"
#include "app/gui/accessible_text.h"

#include "app/gui/format.h"
#include "app/scan/scan.h"
#include "platform/foundation/drawn_name.h"
#include "platform/foundation/localization.h"

namespace brimlet::gui {
namespace {

// A count for choosing a plural form: a negative one (never reported) reads as "many".
std::uint64_t tally(std::int64_t count) {
    return count < 0 ? 2 : static_cast<std::uint64_t>(count);
}

std::string countOf(const std::string& format, std::int64_t count) {
    return foundation::formatLocalized(format, {groupDigits(count)});
}

}  // namespace

ScanningPage::ScanningPage(BaseObjectType* object, const Glib::RefPtr<Gtk::Builder>& builder)
    : Gtk::Box(object),
      heading_(builder->get_widget<Gtk::Label>("scan_heading")),
      bar_(builder->get_widget<Gtk::ProgressBar>("scan_progress")),
      counts_(builder->get_widget<Gtk::Label>("scan_counts")),
      folder_(builder->get_widget<Gtk::Label>("scan_folder")) {}

void ScanningPage::start(const std::string& root) {
    root_ = root;
    heading_->set_text(foundation::formatLocalized(foundation::localizedFormat("Scanning %@…"),
                                                   {foundation::drawnName(rootNameOf(root))}));
    bar_->set_fraction(0);
    counts_->set_text(foundation::localizedFormat("Starting…"));
    folder_->set_text(foundation::drawnName(root));
}

void ScanningPage::update(const ScanProgressReport& progress) {
    std::string counts = scannedBytes(progress.bytes, progress.expectedBytes);
    if (progress.fraction) {
        bar_->set_fraction(*progress.fraction);
    } else {
        bar_->pulse();
    }
    counts +=
        " · " + countOf(foundation::localizedPlural("%@ file", "%@ files", tally(progress.files)),
                        progress.files);
    counts += " · " + countOf(foundation::localizedPlural("%@ folder", "%@ folders",
                                                          tally(progress.folders)),
                              progress.folders);
    counts += " · " + elapsed(progress.seconds);
    counts_->set_text(counts);
    // The folder relative to the scanned one, as the person chose it.
    std::string folder = progress.currentFolder;
    if (folder.starts_with(root_ + "/")) folder = folder.substr(root_.size() + 1);
    folder_->set_text(foundation::drawnName(folder));
    setAccessibleValueText(*bar_, counts);
}

}  // namespace brimlet::gui
