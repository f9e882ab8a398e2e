#include "app/gui/preferences_dialog.h"

#include <utility>

#include "app/gui/accessible_text.h"
#include "platform/foundation/drawn_name.h"
#include "platform/foundation/localization.h"

namespace brimlet::gui {
namespace {

// The settings file's path, or empty when there is none (the controller then says why).
std::string settingsFile() { return settingsPath().value_or(std::string()); }

// A row of one of the lists: a text, an optional mark after it, and a remove button whose
// accessible name says what it removes.
Gtk::ListBoxRow& listRow(const std::string& text, const std::string& mark,
                         const std::string& removeLabel, bool sensitive,
                         const std::function<void()>& onRemove) {
    auto& row = *Gtk::make_managed<Gtk::ListBoxRow>();
    row.set_activatable(false);
    auto& box = *Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 12);
    box.add_css_class("preferences-row");
    auto& label = *Gtk::make_managed<Gtk::Label>(text);
    label.set_xalign(0);
    label.set_hexpand(true);
    label.set_ellipsize(Pango::EllipsizeMode::MIDDLE);
    label.set_tooltip_text(text);
    box.append(label);
    if (!mark.empty()) {
        auto& markLabel = *Gtk::make_managed<Gtk::Label>(mark);
        markLabel.add_css_class("warning");
        box.append(markLabel);
    }
    auto& remove = *Gtk::make_managed<Gtk::Button>();
    remove.set_icon_name("edit-delete-symbolic");
    remove.add_css_class("flat");
    remove.set_valign(Gtk::Align::CENTER);
    remove.set_tooltip_text(removeLabel);
    remove.set_sensitive(sensitive);
    setAccessibleLabel(remove, removeLabel);
    remove.signal_clicked().connect(onRemove);
    box.append(remove);
    row.set_child(box);
    return row;
}

// Removes the rows, keeping the placeholder.
void clear(Gtk::ListBox& list) {
    while (Gtk::ListBoxRow* row = list.get_row_at_index(0)) list.remove(*row);
}

Gtk::Label& placeholder(const std::string& text) {
    auto& label = *Gtk::make_managed<Gtk::Label>(text);
    label.add_css_class("dim-label");
    label.add_css_class("preferences-row");
    return label;
}

}  // namespace

std::unique_ptr<PreferencesDialog> PreferencesDialog::create(Gtk::Window& parent) {
    auto builder = Gtk::Builder::create_from_resource("/org/brimlet/Brimlet/preferences_dialog.ui");
    // A toplevel from a builder belongs to the caller.
    std::unique_ptr<PreferencesDialog> dialog(
        Gtk::Builder::get_widget_derived<PreferencesDialog>(builder, "preferences"));
    dialog->set_transient_for(parent);
    return dialog;
}

PreferencesDialog::PreferencesDialog(BaseObjectType* object,
                                     const Glib::RefPtr<Gtk::Builder>& builder)
    : Gtk::Window(object),
      builder_(builder),
      problem_(builder->get_widget<Gtk::Label>("problem_label")),
      folderPath_(builder->get_widget<Gtk::Label>("folder_path")),
      folderButton_(builder->get_widget<Gtk::Button>("folder_button")),
      caches_(builder->get_widget<Gtk::Switch>("caches_switch")),
      scheduleStatus_(builder->get_widget<Gtk::Label>("schedule_status")),
      scheduleSpinner_(builder->get_widget<Gtk::Spinner>("schedule_spinner")),
      schedule_(builder->get_widget<Gtk::Switch>("schedule_switch")),
      patterns_(builder->get_widget<Gtk::ListBox>("patterns_list")),
      patternEntry_(builder->get_widget<Gtk::Entry>("pattern_entry")),
      patternAdd_(builder->get_widget<Gtk::Button>("pattern_add")),
      patternProblem_(builder->get_widget<Gtk::Label>("pattern_problem")),
      pins_(builder->get_widget<Gtk::ListBox>("pins_list")) {
    patterns_->set_placeholder(placeholder(foundation::localizedFormat("Nothing is left out")));
    pins_->set_placeholder(placeholder(foundation::localizedFormat("No folder is pinned")));
    scheduleAnswered_.connect(sigc::mem_fun(*this, &PreferencesDialog::showSchedule));
    // The manager's answers arrive on the controller's thread; the dispatcher brings them here.
    controller_ = std::make_unique<PreferencesController>(settingsFile(), callsOf(ScanSchedule()),
                                                          [this] { scheduleAnswered_.emit(); });
    connectControls();
}

PreferencesDialog::~PreferencesDialog() {
    later_.disconnect();
    // Waits for a call in flight before the dispatcher it signals goes away.
    controller_.reset();
}

void PreferencesDialog::connectControls() {
    folderButton_->signal_clicked().connect(sigc::mem_fun(*this, &PreferencesDialog::chooseFolder));
    caches_->property_active().signal_changed().connect([this] {
        if (showing_) return;
        controller_->setExcludeCaches(caches_->get_active());
        showPreferences();
    });
    schedule_->signal_state_set().connect(
        sigc::mem_fun(*this, &PreferencesDialog::onScheduleSwitch), false);
    patternEntry_->signal_activate().connect(sigc::mem_fun(*this, &PreferencesDialog::addPattern));
    patternAdd_->signal_clicked().connect(sigc::mem_fun(*this, &PreferencesDialog::addPattern));
    auto close = Gtk::ShortcutController::create();
    close->add_shortcut(Gtk::Shortcut::create(Gtk::KeyvalTrigger::create(GDK_KEY_Escape),
                                              Gtk::NamedAction::create("window.close")));
    add_controller(close);
}

void PreferencesDialog::open() {
    controller_->reload();
    showPreferences();
    controller_->refreshSchedule();
    showSchedule();
    present();
}

void PreferencesDialog::showPreferences() {
    showing_ = true;
    const bool changeable = controller_->changeable();
    const std::string& problem = controller_->problem();
    problem_->set_text(problem);
    problem_->set_visible(!problem.empty());
    patternProblem_->set_visible(false);
    folderPath_->set_text(foundation::drawnName(controller_->defaultFolder()));
    folderButton_->set_sensitive(changeable);
    caches_->set_active(controller_->preferences().excludeCaches);
    caches_->set_sensitive(changeable);
    patternEntry_->set_sensitive(changeable);
    patternAdd_->set_sensitive(changeable);
    showPatterns();
    showPins();
    showing_ = false;
}

// A row's own button must not take its row away while it signals: the lists are rebuilt from the
// main loop.
void PreferencesDialog::showLater() {
    later_.disconnect();
    later_ = Glib::signal_idle().connect([this] {
        showPreferences();
        return false;
    });
}

void PreferencesDialog::showPatterns() {
    clear(*patterns_);
    for (const std::string& pattern : controller_->preferences().exclude) {
        patterns_->append(
            listRow(foundation::drawnName(pattern), {},
                    foundation::formatLocalized(foundation::localizedFormat("Remove %@"),
                                                {foundation::drawnName(pattern)}),
                    controller_->changeable(), [this, pattern] {
                        controller_->removePattern(pattern);
                        showLater();
                    }));
    }
}

void PreferencesDialog::showPins() {
    clear(*pins_);
    for (const PinState& pin : controller_->pins()) {
        const std::string shown = foundation::drawnName(pin.path);
        pins_->append(
            listRow(shown, pin.missing ? foundation::localizedFormat("Missing") : std::string(),
                    foundation::formatLocalized(foundation::localizedFormat("Unpin %@"), {shown}),
                    controller_->changeable(), [this, path = pin.path] {
                        controller_->unpin(path);
                        showLater();
                    }));
    }
}

void PreferencesDialog::showSchedule() {
    const PreferencesController::ScheduleView view = controller_->scheduleView();
    scheduleSpinner_->set_visible(view.busy);
    scheduleSpinner_->set_spinning(view.busy);
    showing_ = true;
    if (!view.state) {
        scheduleStatus_->set_text(foundation::localizedFormat("Asking the user manager…"));
        schedule_->set_sensitive(false);
    } else if (!view.state->available) {
        // Greyed, with the reason.
        schedule_->set_active(false);
        schedule_->set_state(false);
        schedule_->set_sensitive(false);
        scheduleStatus_->set_text(foundation::drawnName(view.state->reason));
    } else {
        const ScheduleState& state = *view.state;
        schedule_->set_sensitive(true);
        schedule_->set_state(state.enabled);
        if (!view.busy) schedule_->set_active(state.enabled);
        if (state.enabled && state.nextRun) {
            const auto when =
                Glib::DateTime::create_now_local(static_cast<gint64>(state.nextRun->unixSeconds()));
            // TRANSLATORS: the day and time of the next daily scan, in g_date_time_format()'s
            // directives.
            const std::string format = foundation::localizedFormat("%A %-e %B, %H:%M");
            scheduleStatus_->set_text(foundation::formatLocalized(
                foundation::localizedFormat("Next scan: %@"), {when.format(format).raw()}));
        } else {
            scheduleStatus_->set_text(
                state.enabled ? foundation::localizedFormat("On, with no next scan known yet")
                              : foundation::localizedFormat("Off: a scan runs only when you ask"));
        }
        if (!state.reason.empty() && !view.busy) {
            problem_->set_text(foundation::drawnName(state.reason));
            problem_->set_visible(true);
        }
    }
    showing_ = false;
}

bool PreferencesDialog::onScheduleSwitch(bool on) {
    if (showing_) return false;  // the model's state: the switch takes it as it is
    controller_->setScanDaily(on);
    showSchedule();
    return true;  // the switch's state follows once the manager has answered
}

void PreferencesDialog::chooseFolder() {
    chooser_ = Gtk::FileChooserNative::create(
        foundation::localizedFormat("Folder Scanned by Default"), *this,
        Gtk::FileChooser::Action::SELECT_FOLDER, foundation::localizedFormat("_Select"),
        foundation::localizedFormat("_Cancel"));
    chooser_->set_modal(true);
    chooser_->set_current_folder(Gio::File::create_for_path(controller_->defaultFolder()));
    chooser_->signal_response().connect([this](int response) {
        if (response == static_cast<int>(Gtk::ResponseType::ACCEPT)) {
            if (const auto file = chooser_->get_file()) {
                controller_->setFolder(file->get_path());
                showPreferences();
            }
        }
        chooser_.reset();
    });
    chooser_->show();
}

void PreferencesDialog::addPattern() {
    const std::string pattern = patternEntry_->get_text();
    const bool added = controller_->addPattern(pattern);
    if (added) patternEntry_->set_text("");
    showPreferences();
    if (!added) {
        // Said beside the entry, where the person is looking, rather than at the top.
        patternProblem_->set_text(controller_->problem());
        patternProblem_->set_visible(true);
        problem_->set_visible(false);
    }
    patternEntry_->grab_focus();
}

}  // namespace brimlet::gui
