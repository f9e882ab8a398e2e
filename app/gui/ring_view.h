#pragma once
// The fullness ring of the widgets: a track and an arc of the used fraction, starting at twelve
// o'clock and running clockwise, in the fullness colour.

#include <gtkmm.h>

namespace brimlet::gui {

class RingView : public Gtk::DrawingArea {
public:
    explicit RingView(int diameter);
    void setFraction(double usedFraction);

private:
    void draw(const Cairo::RefPtr<Cairo::Context>& cr, int width, int height);

    double fraction_ = 0;
};

}  // namespace brimlet::gui
