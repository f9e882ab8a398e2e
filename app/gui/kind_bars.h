#pragma once
// The current folder's bytes per kind of file, biggest first, as labelled bars.

#include <gtkmm.h>

#include "app/explore/explorer.h"

namespace brimlet::gui {

class KindBars : public Gtk::Box {
public:
    KindBars();
    void show(const Explorer& explorer);

private:
    Gtk::Label heading_;
    Gtk::FlowBox bars_;
};

}  // namespace brimlet::gui
