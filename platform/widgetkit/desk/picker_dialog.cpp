#include "platform/widgetkit/desk/picker_dialog.h"
#include "platform/foundation/drawn_name.h"

#include <gtkmm/box.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>

#include <algorithm>

namespace widgetkit::desk {

std::unique_ptr<PickerDialog> PickerDialog::create(Gtk::Window& parent, const IntentPanel& panel,
                                                   const std::optional<std::string>& stored,
                                                   Choose choose) {
    const auto builder =
        Gtk::Builder::create_from_resource("/org/brimlet/Brimlet/Desk/picker_dialog.ui");
    std::unique_ptr<PickerDialog> dialog(Gtk::Builder::get_widget_derived<PickerDialog>(
        builder, "picker-dialog", panel, std::move(choose)));
    dialog->set_transient_for(parent);
    runInBackground(
        dialog->lifetime_, [&panel, stored] { return ask(panel, stored); },
        [self = dialog.get()](const std::optional<Answer>& answer) {
            self->show(answer.value_or(Answer{}));
        });
    return dialog;
}

PickerDialog::PickerDialog(BaseObjectType* object, const Glib::RefPtr<Gtk::Builder>& builder,
                           const IntentPanel& panel, Choose choose)
    : Gtk::Window(object), panel_(panel), choose_(std::move(choose)) {
    set_title(panel.intentTitle);
    builder->get_widget<Gtk::Label>("parameter-title")->set_text(panel.parameterTitle);
    pages_ = builder->get_widget<Gtk::Stack>("pages");
    list_ = builder->get_widget<Gtk::ListBox>("options");
    pages_->set_visible_child("loading");
    list_->signal_row_activated().connect([this](Gtk::ListBoxRow* row) {
        const auto index = static_cast<std::size_t>(row->get_index());
        if (index < ids_.size()) choose_(ids_[index]);
        close();
    });
}

// The options in the query's order, and the one to select: the stored identifier as the query
// rebuilds it now when it is among them, else the default.
PickerDialog::Answer PickerDialog::ask(const IntentPanel& panel,
                                       const std::optional<std::string>& stored) {
    Answer answer;
    answer.options = panel.options();
    if (stored) {
        const auto resolved = panel.resolve({*stored});
        if (!resolved.empty()) answer.selected = resolved.front();
    }
    const bool offered =
        answer.selected &&
        std::any_of(answer.options.begin(), answer.options.end(),
                    [&](const EntityOption& o) { return o.id == *answer.selected; });
    if (!offered) {
        const auto preselected = panel.defaultOption();
        answer.selected = preselected ? std::optional(preselected->id) : std::nullopt;
    }
    return answer;
}

void PickerDialog::show(const Answer& answer) {
    for (const auto& option : answer.options) {
        auto* line = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 12);
        line->set_margin_start(12);
        line->set_margin_end(12);
        line->set_margin_top(10);
        line->set_margin_bottom(10);
        // An area's title is a folder's name: drawn as a name from data, on one line.
        auto* label = Gtk::make_managed<Gtk::Label>(foundation::drawnName(option.title));
        label->set_xalign(0);
        label->set_ellipsize(Pango::EllipsizeMode::MIDDLE);
        label->set_hexpand(true);
        auto* check = Gtk::make_managed<Gtk::Image>();
        check->set_from_icon_name("object-select-symbolic");
        check->set_opacity(answer.selected && option.id == *answer.selected ? 1 : 0);
        line->append(*label);
        line->append(*check);
        list_->append(*line);
        ids_.push_back(option.id);
    }
    pages_->set_visible_child("options");
}

}  // namespace widgetkit::desk
