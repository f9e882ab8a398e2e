#pragma once
// Brimlet's window program: one instance per session (application id org.brimlet.Brimlet); a
// second start hands its folder to the first and presents the open window.

#include <gtkmm.h>

#include <string>

namespace brimlet::gui {

class MainWindow;

class Application : public Gtk::Application {
public:
    static Glib::RefPtr<Application> create();
    // The process ends with status 1 (a screenshot that could not be written).
    void setFailed() { failed_ = true; }
    bool failed() const { return failed_; }

protected:
    Application();

    // Application actions (quit, about, keyboard shortcuts) and every accelerator.
    void on_startup() override;
    void on_activate() override;
    // Opens the window on the first of `files`: shown from the tree in memory when it holds
    // the folder, scanned otherwise.
    void on_open(const type_vec_files& files, const Glib::ustring& hint) override;

private:
    // --screenshot FILE.png: this process takes the picture alone (no single-instance hand-off).
    int onLocalOptions(const Glib::RefPtr<Glib::VariantDict>& options);
    // The open window, created (from its .ui file) on first use.
    MainWindow& window();
    void showAbout();
    // Built from its .ui file when asked for, not with every window (GtkApplication's automatic
    // help overlay would build it up front).
    void showShortcuts();

    MainWindow* window_ = nullptr;  // owned by GTK through the application; deleted when hidden
    std::string screenshot_;
    bool failed_ = false;
    bool sessionBus_ = true;
};

}  // namespace brimlet::gui
