#pragma once
// The volume's used space over the recorded scans of a folder, as a small line chart: the used
// bytes of each record against its time, in the fullness colour of the latest, with the highest
// and lowest figures and the first and last dates on its axes. Its accessible label reads the
// same figures.

#include <gtkmm.h>

#include <string>
#include <vector>

#include "app/history/record.h"
#include "platform/foundation/date.h"

namespace brimlet::gui {

// "Nov 29": the local date, month abbreviated, as the list's comparison and the chart name it.
std::string shortDate(foundation::Date date);

class UsageChart : public Gtk::DrawingArea {
public:
    UsageChart();
    // The records of one folder, ordered by time; fewer than two draw nothing.
    void show(std::vector<RecordSummary> records);

private:
    void draw(const Cairo::RefPtr<Cairo::Context>& cr, int width, int height);
    // A label's text in the chart's smaller type.
    Glib::RefPtr<Pango::Layout> labelLayout(const std::string& text);
    void drawLabel(const Cairo::RefPtr<Cairo::Context>& cr, const std::string& text, double x,
                   double y, double xAlign);

    std::vector<RecordSummary> records_;
};

}  // namespace brimlet::gui
