#pragma once
// The page while a scan runs: what is being scanned, a progress bar (a fraction where one can be
// known, pulsing otherwise), the counts so far with the time taken, and the folder being read.

#include <gtkmm.h>

#include <string>

#include "app/explore/scan_controller.h"

namespace brimlet::gui {

class ScanningPage : public Gtk::Box {
public:
    ScanningPage(BaseObjectType* object, const Glib::RefPtr<Gtk::Builder>& builder);

    void start(const std::string& root);
    void update(const ScanProgressReport& progress);

private:
    std::string root_;
    Gtk::Label* heading_ = nullptr;
    Gtk::ProgressBar* bar_ = nullptr;
    Gtk::Label* counts_ = nullptr;
    Gtk::Label* folder_ = nullptr;
};

}  // namespace brimlet::gui
