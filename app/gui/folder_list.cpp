#include "app/gui/folder_list.h"
#include "app/gui/accessible_text.h"

#include <algorithm>

#include "app/explore/recall.h"
#include "app/gui/format.h"
#include "app/gui/row_cells.h"
#include "app/gui/row_item.h"
#include "extension/shared/human_bytes.h"
#include "platform/foundation/localization.h"

namespace brimlet::gui {
namespace {

constexpr auto kTypeAheadPause = std::chrono::milliseconds(1000);

// A figure's cell, in the list's font.
TextCell* numericCell(const Gtk::Widget& list) {
    return Gtk::make_managed<TextCell>(list, 1, true);
}

// GtkListBase's own action "list.scroll-to-item" lives on the column view's inner list, a child
// of the column view rather than an ancestor; it also moves the list's focus mark to the item.
// Returns the inner list.
Gtk::Widget* scrollTo(Gtk::Widget& view, guint32 position) {
    const auto args = Glib::Variant<guint32>::create(position);
    for (Gtk::Widget* child = view.get_first_child(); child != nullptr;
         child = child->get_next_sibling()) {
        if (child->activate_action("list.scroll-to-item", args)) return child;
    }
    return nullptr;
}

}  // namespace

FolderList::FolderList() {
    selection_ = Gtk::SingleSelection::create(model_);
    selection_->set_autoselect(false);
    selection_->set_can_unselect(true);
    view_.set_model(selection_);
    view_.add_css_class("folder-list");
    view_.set_reorderable(false);
    setAccessibleLabel(view_, foundation::localizedFormat("Folders"));
    addColumns();
    view_.signal_activate().connect([this](guint position) { signalActivated.emit(position); });
    selection_->property_selected().signal_changed().connect([this] {
        if (!showing_) signalSelected.emit(selected());
    });
    auto keys = Gtk::EventControllerKey::create();
    keys->set_propagation_phase(Gtk::PropagationPhase::CAPTURE);
    keys->signal_key_pressed().connect(sigc::mem_fun(*this, &FolderList::onKey), false);
    view_.add_controller(keys);
    auto secondary = Gtk::GestureClick::create();
    secondary->set_button(GDK_BUTTON_SECONDARY);
    secondary->set_propagation_phase(Gtk::PropagationPhase::CAPTURE);
    secondary->signal_pressed().connect(
        [this](int, double x, double y) { onSecondaryClick(x, y); });
    add_controller(secondary);
    set_child(view_);
    set_policy(Gtk::PolicyType::NEVER, Gtk::PolicyType::AUTOMATIC);
    set_vexpand(true);
}

FolderList::~FolderList() {
    // The view, taken apart after this, drops its columns, and its sorter announces each.
    sorterChanged_.disconnect();
}

const ExplorerRow* FolderList::rowOf(Gtk::ListItem& item) const {
    const auto row = std::dynamic_pointer_cast<RowItem>(item.get_item());
    if (!row || explorer_ == nullptr || row->index() >= explorer_->rows().size()) return nullptr;
    return &explorer_->rows()[row->index()];
}

Glib::RefPtr<Gtk::ColumnViewColumn> FolderList::addColumn(
    const Glib::ustring& title, int width, const sigc::slot<void(Gtk::ListItem&)>& setup,
    const sigc::slot<void(Gtk::ListItem&)>& bind, const sigc::slot<void(Gtk::ListItem&)>& unbind) {
    auto factory = Gtk::SignalListItemFactory::create();
    factory->signal_setup().connect(
        [setup](const Glib::RefPtr<Gtk::ListItem>& item) { setup(*item); });
    const std::size_t binder = binders_.size();
    binders_.push_back(bind);
    factory->signal_bind().connect([this, bind, binder](const Glib::RefPtr<Gtk::ListItem>& item) {
        bound_[item.get()] = binder;
        bind(*item);
    });
    factory->signal_unbind().connect([this, unbind](const Glib::RefPtr<Gtk::ListItem>& item) {
        bound_.erase(item.get());
        if (unbind) unbind(*item);
    });
    auto column = Gtk::ColumnViewColumn::create(title, factory);
    if (width > 0) {
        column->set_fixed_width(width);
    } else {
        column->set_expand(true);
    }
    column->set_resizable(true);
    view_.append_column(column);
    return column;
}

void FolderList::addColumns() {
    nameColumn_ = addColumn(
        foundation::localizedFormat("Folder"), 0,
        [this](Gtk::ListItem& item) { item.set_child(*Gtk::make_managed<NameCell>(view_)); },
        [this](Gtk::ListItem& item) {
            const ExplorerRow* row = rowOf(item);
            auto* cell = dynamic_cast<NameCell*>(item.get_child());
            if (row == nullptr || cell == nullptr) return;
            boundNames_[cell] = item.get_position();
            cell->set(shownName(*row), row->biggestKind);
            cell->setDim(row->folder == nullptr);
        },
        [this](Gtk::ListItem& item) { boundNames_.erase(item.get_child()); });
    sizeColumn_ = addColumn(
        foundation::localizedFormat("Size"), 150,
        [this](Gtk::ListItem& item) { item.set_child(*Gtk::make_managed<SizeCell>(view_)); },
        [this](Gtk::ListItem& item) {
            const ExplorerRow* row = rowOf(item);
            if (auto* cell = dynamic_cast<SizeCell*>(item.get_child()); cell && row) {
                cell->set(humanBytes(row->size), row->share);
            }
        });
    addColumn(
        foundation::localizedFormat("Share"), 76,
        [this](Gtk::ListItem& item) { item.set_child(*numericCell(view_)); },
        [this](Gtk::ListItem& item) {
            if (const ExplorerRow* row = rowOf(item)) {
                dynamic_cast<TextCell&>(*item.get_child()).setText(percent(row->share));
            }
        });
    itemsColumn_ = addColumn(
        foundation::localizedFormat("Items"), 96,
        [this](Gtk::ListItem& item) { item.set_child(*numericCell(view_)); },
        [this](Gtk::ListItem& item) {
            if (const ExplorerRow* row = rowOf(item)) {
                dynamic_cast<TextCell&>(*item.get_child())
                    .setText(itemsKnown_ ? groupDigits(row->items) : std::string());
            }
        });
    addChangeColumn();
    nameSorter_ = ColumnSorter::create([this] { consulted_ = SortColumn::name; });
    sizeSorter_ = ColumnSorter::create([this] { consulted_ = SortColumn::size; });
    nameColumn_->set_sorter(nameSorter_);
    sizeColumn_->set_sorter(sizeSorter_);
    view_.sort_by_column(sizeColumn_, Gtk::SortType::DESCENDING);
    sorterChanged_ = view_.get_sorter()->signal_changed().connect(
        [this](Gtk::Sorter::Change) { onSorterChanged(); });
}

void FolderList::addChangeColumn() {
    changeColumn_ = addColumn(
        "", 120, [this](Gtk::ListItem& item) { item.set_child(*numericCell(view_)); },
        [this](Gtk::ListItem& item) {
            const ExplorerRow* row = rowOf(item);
            auto* label = dynamic_cast<TextCell*>(item.get_child());
            if (row == nullptr || label == nullptr) return;
            label->setText(changeText(row->change));
            const bool unchanged = row->change != nullptr &&
                                   row->change->status != FolderGrowth::Status::added &&
                                   row->change->change == 0;
            label->setDim(unchanged);
        });
    changeSorter_ = ColumnSorter::create([this] { consulted_ = SortColumn::change; });
    changeColumn_->set_sorter(changeSorter_);
    view_.remove_column(changeColumn_);
}

void FolderList::setComparison(const std::string& title) {
    changeColumn_->set_title(title);
    if (changeShown_ == !title.empty()) return;
    changeShown_ = !title.empty();
    // Taken out and put back rather than hidden, as the Items column is.
    if (changeShown_) {
        view_.append_column(changeColumn_);
        return;
    }
    // Sorted by change: by size again, with the header showing it.
    const auto a = RowItem::create(0), b = RowItem::create(1);
    consulted_ = SortColumn::none;
    view_.get_sorter()->compare(a->gobj(), b->gobj());
    if (consulted_ == SortColumn::change) {
        view_.sort_by_column(sizeColumn_, Gtk::SortType::DESCENDING);
    }
    view_.remove_column(changeColumn_);
}

void FolderList::setItemsKnown(bool known) {
    if (itemsKnown_ == known) return;
    itemsKnown_ = known;
    // Taken out and put back rather than hidden: GTK 4.8 gives a hidden column's width to no
    // other column.
    if (known) {
        view_.insert_column(3, itemsColumn_);
    } else {
        view_.remove_column(itemsColumn_);
    }
}

void FolderList::onSorterChanged() {
    if (showing_) return;
    // Two distinct items: the view asks its columns' sorters in priority order and stops at the
    // first that answers, inverting the answer for a descending column.
    const auto a = RowItem::create(0), b = RowItem::create(1);
    consulted_ = SortColumn::none;
    const Gtk::Ordering order = view_.get_sorter()->compare(a->gobj(), b->gobj());
    const bool ascending = order == Gtk::Ordering::SMALLER;
    switch (consulted_) {
        case SortColumn::name:
            signalSort.emit(ascending ? ExplorerSort::nameAscending : ExplorerSort::nameDescending);
            break;
        case SortColumn::size:
            signalSort.emit(ascending ? ExplorerSort::sizeAscending : ExplorerSort::sizeDescending);
            break;
        case SortColumn::change:
            signalSort.emit(ascending ? ExplorerSort::changeAscending
                                      : ExplorerSort::changeDescending);
            break;
        case SortColumn::none: signalSort.emit(ExplorerSort::sizeDescending); break;
    }
}

void FolderList::show(const Explorer& explorer) {
    explorer_ = &explorer;
    showing_ = true;
    const guint kept = std::min(model_->get_n_items(), static_cast<guint>(explorer.rows().size()));
    model_->resize(explorer.rows().size());
    // The rows the view kept show the new rows at their positions (those it adds are bound
    // afresh). Kept, the row widgets keep the keyboard focus too.
    for (const auto& [item, column] : bound_) {
        if (item->get_position() < kept) binders_[column](*item);
    }
    if (!explorer.rows().empty()) selection_->set_selected(0);
    showing_ = false;
    prefix_.clear();
    if (!explorer.rows().empty()) scrollTo(view_, 0);
    signalSelected.emit(selected());
}

void FolderList::select(std::size_t index) {
    if (explorer_ == nullptr || index >= explorer_->rows().size()) return;
    const auto position = static_cast<guint32>(index);
    scrollTo(view_, position);
    selection_->set_selected(position);
    // Keyboard focus follows (Enter then goes into this row), where the list has it already.
    const Gtk::Widget* focus = get_root() != nullptr ? get_root()->get_focus() : nullptr;
    if (focus != nullptr && focus->is_ancestor(view_) && !focusRow(position)) {
        // Scrolled far: the row's widgets are made at the next layout.
        Glib::signal_idle().connect_once([this, position] { focusRow(position); },
                                         GDK_PRIORITY_REDRAW + 10);
    }
}

bool FolderList::focusRow(guint position) {
    const auto bound = std::find_if(boundNames_.begin(), boundNames_.end(),
                                    [position](const auto& b) { return b.second == position; });
    if (bound == boundNames_.end()) return false;
    // The name's cell, then its row: the list's own focus follows the row that takes it.
    Gtk::Widget* cell = bound->first->get_parent();
    Gtk::Widget* row = cell != nullptr ? cell->get_parent() : nullptr;
    return row != nullptr && row->grab_focus();
}

std::optional<std::size_t> FolderList::selected() const {
    const guint position = selection_->get_selected();
    if (position == GTK_INVALID_LIST_POSITION) return std::nullopt;
    return position;
}

void FolderList::focusList() {
    const auto position = selected();
    if (!position || !focusRow(static_cast<guint>(*position))) view_.grab_focus();
}

bool FolderList::onKey(guint keyval, guint, Gdk::ModifierType state) {
    const auto modifiers = Gdk::ModifierType::CONTROL_MASK | Gdk::ModifierType::ALT_MASK |
                           Gdk::ModifierType::SUPER_MASK;
    if ((state & modifiers) != Gdk::ModifierType{}) return false;
    const bool shift = (state & Gdk::ModifierType::SHIFT_MASK) != Gdk::ModifierType{};
    if (keyval == GDK_KEY_Menu || (keyval == GDK_KEY_F10 && shift)) {
        if (!selected()) return false;
        const auto box = selectedRowBox();
        signalMenu.emit(box ? *box : Gdk::Rectangle(get_width() / 2, get_height() / 2, 1, 1));
        return true;
    }
    if (keyval == GDK_KEY_BackSpace) {
        prefix_.clear();
        signalLeave.emit();
        return true;
    }
    const gunichar c = gdk_keyval_to_unicode(keyval);
    if (c == 0 || !g_unichar_isgraph(c)) {
        if (c != ' ' || prefix_.empty()) return false;
    }
    return typeAhead(c);
}

bool FolderList::typeAhead(gunichar c) {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastKey_ > kTypeAheadPause) prefix_.clear();
    lastKey_ = now;
    char bytes[6];
    prefix_.append(bytes, static_cast<std::size_t>(g_unichar_to_utf8(c, bytes)));
    if (explorer_ == nullptr) return false;
    if (const auto found = explorer_->findPrefix(prefix_)) select(*found);
    return true;
}

void FolderList::onSecondaryClick(double x, double y) {
    // The picked widget lies in a row; the row is the ancestor whose first cell holds a name
    // cell's widget, which knows the position it shows.
    for (Gtk::Widget* at = pick(x, y); at != nullptr && at != this; at = at->get_parent()) {
        Gtk::Widget* cell = at->get_first_child();
        Gtk::Widget* name = cell != nullptr ? cell->get_first_child() : nullptr;
        const auto bound = boundNames_.find(name);
        if (bound == boundNames_.end()) continue;
        selection_->set_selected(bound->second);
        signalMenu.emit(Gdk::Rectangle(static_cast<int>(x), static_cast<int>(y), 1, 1));
        return;
    }
}

std::optional<Gdk::Rectangle> FolderList::selectedRowBox() {
    const auto position = selected();
    if (!position) return std::nullopt;
    for (const auto& [name, shown] : boundNames_) {
        if (shown != *position) continue;
        Gtk::Widget* row =
            name->get_parent() != nullptr ? name->get_parent()->get_parent() : nullptr;
        double x = 0, y = 0;
        if (row == nullptr || !row->translate_coordinates(*this, 0, 0, x, y)) return std::nullopt;
        return Gdk::Rectangle(static_cast<int>(x), static_cast<int>(y), row->get_width(),
                              row->get_height());
    }
    return std::nullopt;
}

}  // namespace brimlet::gui
