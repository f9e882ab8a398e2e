#pragma once
// A small rounded square in a kind's colour: the key between a list row and its treemap block.

#include <gtkmm.h>

#include "app/scan/kinds.h"

namespace brimlet::gui {

class KindSwatch : public Gtk::DrawingArea {
public:
    KindSwatch();
    void setKind(FileKind kind);

private:
    void draw(const Cairo::RefPtr<Cairo::Context>& cr, int width, int height);

    FileKind kind_ = FileKind::other;
};

}  // namespace brimlet::gui
