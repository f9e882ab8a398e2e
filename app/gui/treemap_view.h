#pragma once
// The current folder as a squarified treemap: one block per row of the explorer (folders and the
// files directly inside), its area proportional to the row's size, coloured by the row's biggest
// kind of file, labelled where name and size fit. A tooltip names the block; a click selects
// its row, a double click goes in.

#include <gtkmm.h>

#include <cstddef>
#include <optional>
#include <vector>

#include "app/explore/explorer.h"
#include "app/explore/treemap.h"
#include "app/gui/treemap_cut.h"

namespace brimlet::gui {

class TreemapView : public Gtk::DrawingArea {
public:
    TreemapView();

    // Lays out `explorer`'s rows afresh; the explorer outlives the view's use of it.
    void show(const Explorer& explorer);
    void setSelected(std::optional<std::size_t> row);

    sigc::signal<void(std::size_t)> signalSelect;
    sigc::signal<void(std::size_t)> signalActivate;
    // A right click on the block of `row`, at (x, y) in the view's coordinates.
    sigc::signal<void(std::size_t row, double x, double y)> signalMenu;

private:
    void draw(const Cairo::RefPtr<Cairo::Context>& cr, int width, int height);
    void layout(int width, int height);
    // The row whose block holds (x, y); the small blocks are laid out at the first such question.
    std::optional<std::size_t> rowAt(double x, double y);
    void drawLabel(const Cairo::RefPtr<Cairo::Context>& cr, const ExplorerRow& row,
                   const TreemapRect& r, bool dark);
    // The strip of blocks too small to draw, as one muted area, with how many folders it holds
    // and their size where that fits: a folder of many small folders shows where they are.
    void drawRest(const Cairo::RefPtr<Cairo::Context>& cr, const Gdk::RGBA& fg);

    // The folders inside a block big enough to show them: drawn as a finer grid in the block's
    // colour, so the map hints at what lies a level down.
    struct Inside {
        std::vector<TreemapRect> rects;
    };
    Inside inside(const Folder& folder, const TreemapRect& r) const;

    const Explorer* explorer_ = nullptr;
    std::vector<std::int64_t> sizes_;  // the rows' sizes, as laid out
    TreemapCut cut_;                   // the blocks drawn, and the strip of those too small
    std::int64_t restFolders_ = 0, restBytes_ = 0;   // what the strip holds
    std::optional<std::vector<TreemapBlock>> rest_;  // the strip's blocks, once asked for
    std::vector<Inside> insides_;  // one per block drawn, empty where the block is too small
    int laidOutWidth_ = -1, laidOutHeight_ = -1;
    std::optional<std::size_t> selected_;
};

}  // namespace brimlet::gui
