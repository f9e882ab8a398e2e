#include "app/gui/trash_confirmation.h"

#include <glibmm/main.h>
#include <gtkmm/button.h>
#include <gtkmm/messagedialog.h>

#include <utility>

#include "extension/shared/human_bytes.h"
#include "platform/foundation/localization.h"

namespace brimlet::gui {

void confirmTrash(Gtk::Window& parent, const std::string& name, std::int64_t size,
                  bool linkedElsewhere, std::function<void()> onConfirmed) {
    using foundation::formatLocalized;
    using foundation::localizedFormat;
    // gtkmm 4.8 has no Gtk::AlertDialog; the dialog deletes itself once it is hidden.
    const std::string question =
        formatLocalized(localizedFormat("Move “%@” to the Trash?"), {name});
    auto* dialog = new Gtk::MessageDialog(parent, question, false, Gtk::MessageType::QUESTION,
                                          Gtk::ButtonsType::NONE, true);
    dialog->set_title(question);  // what a screen reader names the dialog by
    const std::string bytes = humanBytes(size);
    dialog->set_secondary_text(
        linkedElsewhere
            ? formatLocalized(localizedFormat("It takes %@ on disk, but other hard links keep "
                                              "that space in use even when the trash is emptied."),
                              {bytes})
            : formatLocalized(localizedFormat("It takes %@ on disk. The space is freed when the "
                                              "trash is emptied."),
                              {bytes}));
    dialog->add_button(localizedFormat("Cancel"), Gtk::ResponseType::CANCEL);
    dialog->add_button(localizedFormat("Move to Trash"), Gtk::ResponseType::ACCEPT)
        ->add_css_class("destructive-action");
    // A stray Enter keeps everything where it is.
    dialog->set_default_response(Gtk::ResponseType::CANCEL);
    dialog->set_hide_on_close(true);
    dialog->signal_response().connect([dialog, onConfirmed = std::move(onConfirmed)](int response) {
        dialog->hide();
        if (response == static_cast<int>(Gtk::ResponseType::ACCEPT)) onConfirmed();
    });
    dialog->signal_hide().connect(
        [dialog] { Glib::signal_idle().connect_once([dialog] { delete dialog; }); });
    dialog->present();
}

}  // namespace brimlet::gui
