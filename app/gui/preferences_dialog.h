#pragma once
// The Preferences window: the folder scanned by default, the patterns left out, "Leave Out
// Caches", "Scan Every Day" and the pinned folders. Every change goes through the display-free
// PreferencesController at once; its calls to the user manager end on its own thread and come
// back to the main loop through a Glib::Dispatcher.

#include <gtkmm.h>

#include <memory>
#include <string>

#include "app/explore/preferences_controller.h"

namespace brimlet::gui {

class PreferencesDialog : public Gtk::Window {
public:
    // Builds the window from its .ui resource, transient for and modal over `parent`. The
    // caller owns it.
    static std::unique_ptr<PreferencesDialog> create(Gtk::Window& parent);

    PreferencesDialog(BaseObjectType* object, const Glib::RefPtr<Gtk::Builder>& builder);
    ~PreferencesDialog() override;

    // Reads the settings and the timer's state again, then presents the window.
    void open();

private:
    void connectControls();
    // Shows what the controller holds; after a refused change, the control that made it shows
    // the stored value again.
    void showPreferences();
    void showLater();
    void showPatterns();
    void showPins();
    void showSchedule();
    void chooseFolder();
    void addPattern();
    bool onScheduleSwitch(bool on);

    Glib::RefPtr<Gtk::Builder> builder_;
    Gtk::Label* problem_ = nullptr;
    Gtk::Label* folderPath_ = nullptr;
    Gtk::Button* folderButton_ = nullptr;
    Gtk::Switch* caches_ = nullptr;
    Gtk::Label* scheduleStatus_ = nullptr;
    Gtk::Spinner* scheduleSpinner_ = nullptr;
    Gtk::Switch* schedule_ = nullptr;
    Gtk::ListBox* patterns_ = nullptr;
    Gtk::Entry* patternEntry_ = nullptr;
    Gtk::Button* patternAdd_ = nullptr;
    Gtk::Label* patternProblem_ = nullptr;  // why the pattern typed was refused
    Gtk::ListBox* pins_ = nullptr;
    Glib::RefPtr<Gtk::FileChooserNative> chooser_;
    bool showing_ = false;  // controls set from the model, not by the person
    sigc::connection later_;

    Glib::Dispatcher scheduleAnswered_;
    // Last: destroyed first, waiting for a call in flight before the dispatcher goes away.
    std::unique_ptr<PreferencesController> controller_;
};

}  // namespace brimlet::gui
