#include "app/gui/application.h"

#include <utility>

#include "app/gui/main_window.h"
#include "platform/foundation/localization.h"
#include "platform/foundation/version.h"

namespace brimlet::gui {
namespace {

// Whether a session bus can be found without starting one: named by DBUS_SESSION_BUS_ADDRESS,
// or at its usual place in the runtime folder (as the desk decides).
bool sessionBusReachable() {
    if (!Glib::getenv("DBUS_SESSION_BUS_ADDRESS").empty()) return true;
    const std::string runtime = Glib::getenv("XDG_RUNTIME_DIR");
    return !runtime.empty() && runtime.front() == '/' &&
           Glib::file_test(runtime + "/bus", Glib::FileTest::EXISTS);
}

}  // namespace

Application::Application()
    : Gtk::Application("org.brimlet.Brimlet", Gio::Application::Flags::HANDLES_OPEN) {
    Glib::set_application_name("Brimlet");
    // Without a session bus (a bare X server) there is no instance to hand over to, no portal
    // and no accessibility bus: the window runs on its own, and GTK is told not to look.
    if (!sessionBusReachable()) {
        Glib::setenv("GTK_A11Y", "none", false);
        set_flags(get_flags() | Gio::Application::Flags::NON_UNIQUE);
        sessionBus_ = false;
    }
    add_main_option_entry(Gio::Application::OptionType::FILENAME, "screenshot", '\0',
                          "Open the window, scan FOLDER if given, write the window's pixels to "
                          "FILE.png once the scan is shown, and exit",
                          "FILE.png");
    add_main_option_entry(Gio::Application::OptionType::BOOL, "version", '\0',
                          "Print the version and exit");
    signal_handle_local_options().connect(sigc::mem_fun(*this, &Application::onLocalOptions),
                                          false);
}

Glib::RefPtr<Application> Application::create() {
    return Glib::make_refptr_for_instance<Application>(new Application());
}

int Application::onLocalOptions(const Glib::RefPtr<Glib::VariantDict>& options) {
    if (options->contains("version")) {
        g_print("brimlet %s\n", std::string(foundation::projectVersion()).c_str());
        return 0;
    }
    std::string path;
    if (options->lookup_value("screenshot", path)) {
        if (path.empty()) {
            g_printerr("brimlet: --screenshot needs a file name (FILE.png)\n");
            return 2;
        }
        screenshot_ = path;
        set_flags(get_flags() | Gio::Application::Flags::NON_UNIQUE);
    }
    return -1;  // go on: register, then activate or open
}

void Application::on_startup() {
    Gtk::Application::on_startup();
    // The window's own touches on the theme; the icons come from the resource's icons/ folder,
    // which GtkApplication adds to the icon theme for this application id.
    auto css = Gtk::CssProvider::create();
    css->load_from_resource("/org/brimlet/Brimlet/style.css");
    Gtk::StyleContext::add_provider_for_display(Gdk::Display::get_default(), css,
                                                GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    add_action("quit", [this] {
        for (Gtk::Window* w : get_windows()) w->hide();
    });
    add_action("about", sigc::mem_fun(*this, &Application::showAbout));
    add_action("shortcuts", sigc::mem_fun(*this, &Application::showShortcuts));
    set_accel_for_action("app.shortcuts", "<Control>question");
    set_accel_for_action("app.quit", "<Control>q");
    set_accel_for_action("win.scan", "<Control>r");
    set_accel_for_action("win.choose-folder", "<Control>o");
    set_accel_for_action("win.cancel-scan", "Escape");
    set_accel_for_action("win.go-up", "<Alt>Up");
    set_accel_for_action("win.close", "<Control>w");
    set_accel_for_action("win.preferences", "<Control>comma");
    // No text entry in the window takes Delete. Copy Path's Ctrl+C is the folder list's own
    // (explore_page.cpp), so that it never takes copying from a selected line.
    set_accel_for_action("win.trash-folder", "Delete");
}

MainWindow& Application::window() {
    if (window_ == nullptr) {
        window_ = MainWindow::create(screenshot_, sessionBus_);
        add_window(*window_);
        window_->signal_hide().connect([this] { delete std::exchange(window_, nullptr); });
    }
    return *window_;
}

void Application::on_activate() {
    MainWindow& w = window();
    w.present();
    w.startScreenshot({});
}

void Application::on_open(const type_vec_files& files, const Glib::ustring&) {
    MainWindow& w = window();
    w.present();
    if (files.empty()) return;
    const std::string folder = files.front()->get_path();
    w.startScreenshot(folder);
    if (!folder.empty()) w.openFolder(folder);
}

void Application::showAbout() {
    auto* about = new Gtk::AboutDialog();
    about->set_program_name("Brimlet");
    about->set_logo_icon_name("org.brimlet.Brimlet");
    about->set_version(std::string(foundation::projectVersion()));
    about->set_comments(foundation::localizedFormat(
        "See where your disk space went, and keep the Disk Space and Disk "
        "Breakdown widgets current."));
    about->set_modal(true);
    about->set_hide_on_close(true);
    if (window_ != nullptr) about->set_transient_for(*window_);
    about->signal_hide().connect([about] { delete about; });
    about->present();
}

void Application::showShortcuts() {
    const auto builder = Gtk::Builder::create_from_resource("/org/brimlet/Brimlet/shortcuts.ui");
    // A toplevel from a builder belongs to the caller: deleted when it is closed.
    auto* shortcuts = builder->get_widget<Gtk::ShortcutsWindow>("shortcuts");
    if (shortcuts == nullptr) return;
    if (window_ != nullptr) shortcuts->set_transient_for(*window_);
    shortcuts->set_hide_on_close(true);
    shortcuts->signal_hide().connect([shortcuts] { delete shortcuts; });
    shortcuts->present();
}

}  // namespace brimlet::gui
