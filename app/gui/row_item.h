#pragma once
// One row of the folder list as the list model hands it out: only its position; the cells read
// the explorer's row at that position when they are bound.

#include <glibmm/object.h>

#include <cstddef>

namespace brimlet::gui {

class RowItem : public Glib::Object {
public:
    static Glib::RefPtr<RowItem> create(std::size_t index);
    std::size_t index() const { return index_; }

protected:
    explicit RowItem(std::size_t index);

private:
    std::size_t index_;
};

}  // namespace brimlet::gui
