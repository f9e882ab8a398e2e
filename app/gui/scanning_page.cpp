#include "app/gui/scanning_page.h"
#include "app/gui/accessible_text.h"

#include "app/gui/format.h"
#include "app/scan/scan.h"
#include "platform/foundation/drawn_name.h"

namespace brimlet::gui {

ScanningPage::ScanningPage(BaseObjectType* object, const Glib::RefPtr<Gtk::Builder>& builder)
    : Gtk::Box(object),
      heading_(builder->get_widget<Gtk::Label>("scan_heading")),
      bar_(builder->get_widget<Gtk::ProgressBar>("scan_progress")),
      counts_(builder->get_widget<Gtk::Label>("scan_counts")),
      folder_(builder->get_widget<Gtk::Label>("scan_folder")) {}

void ScanningPage::start(const std::string& root) {
    root_ = root;
    heading_->set_text("Scanning " + foundation::drawnName(rootNameOf(root)) + "…");
    bar_->set_fraction(0);
    counts_->set_text("Starting…");
    folder_->set_text(foundation::drawnName(root));
}

void ScanningPage::update(const ScanProgressReport& progress) {
    std::string counts = scannedBytes(progress.bytes, progress.expectedBytes);
    if (progress.fraction) {
        bar_->set_fraction(*progress.fraction);
    } else {
        bar_->pulse();
    }
    counts += " · " + groupDigits(progress.files) + (progress.files == 1 ? " file" : " files");
    counts +=
        " · " + groupDigits(progress.folders) + (progress.folders == 1 ? " folder" : " folders");
    counts += " · " + elapsed(progress.seconds);
    counts_->set_text(counts);
    // The folder relative to the scanned one, as the person chose it.
    std::string folder = progress.currentFolder;
    if (folder.starts_with(root_ + "/")) folder = folder.substr(root_.size() + 1);
    folder_->set_text(foundation::drawnName(folder));
    setAccessibleValueText(*bar_, counts);
}

}  // namespace brimlet::gui
