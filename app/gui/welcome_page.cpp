#include "app/gui/welcome_page.h"

#include "platform/foundation/drawn_name.h"
#include "platform/foundation/home.h"
#include "platform/foundation/localization.h"

namespace brimlet::gui {
namespace {

// The snapshot's path as a person reads it: the home folder as "~".
std::string shortPath(const std::string& path) {
    const auto home = foundation::homeDirectory();
    if (home && path.starts_with(*home + "/")) return "~" + path.substr(home->size());
    return path;
}

}  // namespace

WelcomePage::WelcomePage(BaseObjectType* object, const Glib::RefPtr<Gtk::Builder>& builder)
    : Gtk::Box(object),
      text_(builder->get_widget<Gtk::Label>("welcome_text")),
      problem_(builder->get_widget<Gtk::Label>("welcome_problem")),
      scan_(builder->get_widget<Gtk::Button>("welcome_scan")) {}

void WelcomePage::show(const LastScan& last) {
    const std::string where = last.path.empty() ? foundation::localizedFormat("your data folder")
                                                : foundation::drawnName(shortPath(last.path));
    text_->set_text(foundation::formatLocalized(
        foundation::localizedFormat("Brimlet reads the sizes of the files in your home folder, "
                                    "never what is in them, and keeps the result in %@, where the "
                                    "Disk Breakdown widget finds it."),
        {where}));
    const bool unreadable = last.state == LastScan::State::unreadable;
    problem_->set_visible(unreadable);
    if (unreadable) {
        problem_->set_text(foundation::formatLocalized(
            foundation::localizedFormat(
                "The last scan, %@, cannot be read; a new scan replaces it."),
            {foundation::drawnName(last.path)}));
    }
    scan_->grab_focus();
}

}  // namespace brimlet::gui
