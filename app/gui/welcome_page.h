#pragma once
// The page before the first scan: what a scan reads and where its result is kept, one "Scan
// Home Folder" button, and the one line naming a snapshot that could not be read.

#include <gtkmm.h>

#include "app/gui/last_scan.h"

namespace brimlet::gui {

class WelcomePage : public Gtk::Box {
public:
    WelcomePage(BaseObjectType* object, const Glib::RefPtr<Gtk::Builder>& builder);

    void show(const LastScan& last);

private:
    Gtk::Label* text_ = nullptr;
    Gtk::Label* problem_ = nullptr;
    Gtk::Button* scan_ = nullptr;
};

}  // namespace brimlet::gui
