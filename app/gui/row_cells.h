#pragma once
// The folder list's cells, each one widget that draws itself: a line of text; a row's name
// after its kind's swatch; a size above its proportional bar. A column view keeps about 200 rows
// of widgets whatever the folder's size, and these keep each of them cheap: every cell takes
// its font from one widget (the list, whose font its cells inherit), so a cell's height comes
// from that font's metrics, measured once for all cells, and a cell has no text context of its
// own; its text is laid out only when the cell is drawn. Each reads to assistive technologies
// as a label holding its text.

#include <gtkmm.h>

#include <memory>
#include <string>

#include "app/scan/kinds.h"

namespace brimlet::gui {

class TextCell : public Gtk::Widget {
public:
    // `fonts`: the widget whose font the cell draws in; it outlives the cell. `xalign`: 0 puts
    // the text at the start of the cell, 1 at its end. `numeric`: figures of one width (the
    // theme's "numeric" style).
    TextCell(const Gtk::Widget& fonts, float xalign, bool numeric);
    // Also what assistive technologies read.
    void setText(const std::string& text);
    // Dim text, as the theme's "dim-label" draws it (the files row, an unchanged figure); only
    // the text: a name's swatch keeps its colour.
    void setDim(bool dim);

protected:
    Gtk::SizeRequestMode get_request_mode_vfunc() const override;
    void measure_vfunc(Gtk::Orientation orientation, int forSize, int& minimum, int& natural,
                       int& minimumBaseline, int& naturalBaseline) const override;
    void snapshot_vfunc(const Glib::RefPtr<Gtk::Snapshot>& snapshot) override;

    // The height of one line of text in the cell's font, in pixels.
    int lineHeight() const;
    // The text laid out in the cell's font, at most `width` pixels wide when `ellipsize` (cut at
    // the end with an ellipsis), else on one line of its own width.
    PangoLayout* layout(int width, bool ellipsize);
    // The cell's text colour.
    Gdk::RGBA foreground();
    // Draws the text in the box (x, y, width, height), aligned by the cell's `xalign`, centred
    // in the box's height.
    void drawText(const Glib::RefPtr<Gtk::Snapshot>& snapshot, double x, double y, int width,
                  int height, bool ellipsize);

private:
    struct Unref {
        void operator()(PangoLayout* layout) const { g_object_unref(layout); }
    };

    const Gtk::Widget* fonts_;
    std::string text_;
    float xalign_;
    bool numeric_;
    bool dim_ = false;
    std::unique_ptr<PangoLayout, Unref> layout_;  // made at the first draw
    bool laidOut_ = false;                        // layout_ holds text_
};

// A row's name after a small rounded square in its kind's colour; the name ends in an ellipsis
// where it does not fit.
class NameCell : public TextCell {
public:
    explicit NameCell(const Gtk::Widget& fonts);
    void set(const std::string& name, FileKind kind);

protected:
    void measure_vfunc(Gtk::Orientation orientation, int forSize, int& minimum, int& natural,
                       int& minimumBaseline, int& naturalBaseline) const override;
    void snapshot_vfunc(const Glib::RefPtr<Gtk::Snapshot>& snapshot) override;

private:
    FileKind kind_ = FileKind::other;
};

// A size written above a bar that fills `share` (0...1) of its track in the accent colour, or
// the row's text colour on a selected row.
class SizeCell : public TextCell {
public:
    explicit SizeCell(const Gtk::Widget& fonts);
    void set(const std::string& size, double share);

protected:
    void measure_vfunc(Gtk::Orientation orientation, int forSize, int& minimum, int& natural,
                       int& minimumBaseline, int& naturalBaseline) const override;
    void snapshot_vfunc(const Glib::RefPtr<Gtk::Snapshot>& snapshot) override;

private:
    bool onSelectedRow() const;

    double share_ = 0;
};

}  // namespace brimlet::gui
