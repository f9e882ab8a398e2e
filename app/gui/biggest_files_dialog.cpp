#include "app/gui/biggest_files_dialog.h"

#include <utility>

#include "app/actions/pins.h"
#include "app/gui/accessible_text.h"
#include "app/gui/trash_confirmation.h"
#include "app/scan/scan.h"
#include "extension/shared/human_bytes.h"
#include "platform/foundation/drawn_name.h"
#include "platform/foundation/localization.h"

namespace brimlet::gui {
namespace {

using foundation::formatLocalized;
using foundation::localizedFormat;

Gtk::Widget* fileRow(const FileEntry& file) {
    auto* box = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 12);
    box->add_css_class("file-row");
    auto* name = Gtk::make_managed<Gtk::Label>(foundation::drawnName(file.name));
    name->set_xalign(0);
    name->set_hexpand(true);
    name->set_ellipsize(Pango::EllipsizeMode::MIDDLE);
    box->append(*name);
    auto* size = Gtk::make_managed<Gtk::Label>(humanBytes(file.size));
    size->add_css_class("numeric");
    box->append(*size);
    return box;
}

}  // namespace

BiggestFilesDialog::BiggestFilesDialog(Gtk::Window& parent, std::string path,
                                       const std::string& name,
                                       std::function<void(const FileEntry&)> onTrashed)
    : path_(std::move(path)), onTrashed_(std::move(onTrashed)) {
    set_title(formatLocalized(localizedFormat("Biggest Files in “%@”"), {name}));
    set_transient_for(parent);
    set_modal(true);
    set_default_size(520, 480);
    set_hide_on_close(true);

    stack_.set_vexpand(true);
    spinner_.set_halign(Gtk::Align::CENTER);
    spinner_.set_valign(Gtk::Align::CENTER);
    spinner_.set_size_request(32, 32);
    setAccessibleLabel(spinner_, localizedFormat("Reading the folder"));
    stack_.add(spinner_, "reading");
    list_.set_selection_mode(Gtk::SelectionMode::SINGLE);
    list_.add_css_class("rich-list");
    setAccessibleLabel(list_, localizedFormat("Files"));
    scroller_.set_child(list_);
    scroller_.set_policy(Gtk::PolicyType::NEVER, Gtk::PolicyType::AUTOMATIC);
    stack_.add(scroller_, "files");
    empty_.set_text(localizedFormat("No files directly in this folder."));
    empty_.add_css_class("dim-label");
    stack_.add(empty_, "empty");
    box_.append(stack_);

    problem_.set_xalign(0);
    problem_.set_ellipsize(Pango::EllipsizeMode::MIDDLE);
    problem_.set_selectable(true);
    problem_.add_css_class("error");
    problem_.set_visible(false);
    auto* bottom = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 12);
    bottom->set_margin(12);
    problem_.set_hexpand(true);
    bottom->append(problem_);
    trash_.set_label(localizedFormat("Move to Trash…"));
    trash_.set_tooltip_text(localizedFormat("Move the selected file to the trash (Delete)"));
    trash_.add_css_class("destructive-action");
    trash_.set_sensitive(false);
    trash_.set_halign(Gtk::Align::END);
    trash_.set_hexpand(true);
    bottom->append(trash_);
    box_.append(*Gtk::make_managed<Gtk::Separator>());
    box_.append(*bottom);
    set_child(box_);

    trash_.signal_clicked().connect(sigc::mem_fun(*this, &BiggestFilesDialog::askTrash));
    list_.signal_selected_rows_changed().connect([this] {
        trash_.set_sensitive(list_.get_selected_row() != nullptr && !background_.running());
    });
    auto keys = Gtk::ShortcutController::create();
    keys->add_shortcut(Gtk::Shortcut::create(Gtk::KeyvalTrigger::create(GDK_KEY_Delete),
                                             Gtk::CallbackAction::create([this](auto&, auto&) {
                                                 askTrash();
                                                 return true;
                                             })));
    keys->add_shortcut(Gtk::Shortcut::create(Gtk::KeyvalTrigger::create(GDK_KEY_Escape),
                                             Gtk::CallbackAction::create([this](auto&, auto&) {
                                                 hide();
                                                 return true;
                                             })));
    add_controller(keys);
    read();
}

void BiggestFilesDialog::read() {
    stack_.set_visible_child("reading");
    spinner_.start();
    background_.run([this, path = path_]() -> std::function<void()> {
        try {
            auto files = biggestFiles(path, kTop);
            return [this, files = std::move(files)]() mutable {
                files_ = std::move(files);
                showFiles();
            };
        } catch (const std::exception& e) {
            return [this, line = std::string(e.what())] {
                spinner_.stop();
                stack_.set_visible_child("empty");
                showProblem(line);
            };
        }
    });
}

void BiggestFilesDialog::showFiles() {
    spinner_.stop();
    while (Gtk::Widget* row = list_.get_first_child()) list_.remove(*row);
    for (const FileEntry& file : files_) list_.append(*fileRow(file));
    stack_.set_visible_child(files_.empty() ? "empty" : "files");
    if (!files_.empty()) {
        list_.select_row(*list_.get_row_at_index(0));
        list_.get_row_at_index(0)->grab_focus();
    }
}

void BiggestFilesDialog::askTrash() {
    const Gtk::ListBoxRow* row = list_.get_selected_row();
    if (row == nullptr || background_.running()) return;
    const auto index = static_cast<std::size_t>(row->get_index());
    if (index >= files_.size()) return;
    const FileEntry file = files_[index];
    confirmTrash(*this, foundation::drawnName(file.name), file.size, file.linkedElsewhere,
                 [this, file] {
                     std::string path = path_;
                     if (path.back() != '/') path += '/';
                     path += file.name;
                     trash_.set_sensitive(false);
                     background_.run([this, path, file]() -> std::function<void()> {
                         try {
                             moveToTrash(path, file.device, file.inode);
                         } catch (const std::exception& e) {
                             return [this, line = std::string(e.what())] {
                                 showProblem(line);
                                 trash_.set_sensitive(list_.get_selected_row() != nullptr);
                             };
                         }
                         return [this, file] {
                             problem_.set_visible(false);
                             onTrashed_(file);
                             std::erase_if(files_, [&](const FileEntry& f) {
                                 return f.device == file.device && f.inode == file.inode &&
                                        f.name == file.name;
                             });
                             showFiles();
                         };
                     });
                 });
}

void BiggestFilesDialog::showProblem(const std::string& line) {
    problem_.set_text(foundation::drawnName(line));
    problem_.set_visible(true);
}

}  // namespace brimlet::gui
