#pragma once
// The way from the scanned folder to the current one, one button per folder; a click goes
// there.

#include <gtkmm.h>

#include <vector>

#include "app/scan/walk.h"

namespace brimlet::gui {

class PathBar : public Gtk::Box {
public:
    PathBar();
    // `trail`: the scanned folder first, the current one last; `rootPath` names the first.
    void show(const std::vector<const Folder*>& trail, const std::string& rootPath);

    sigc::signal<void(const Folder*)> signalGo;
};

}  // namespace brimlet::gui
