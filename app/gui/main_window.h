#pragma once
// The Brimlet window: the header bar's actions, a one-line problem banner, and four pages in a
// stack — welcome (no scan yet), summary (the last snapshot), scanning, explore (a tree in
// memory). Scans run through the display-free ScanController; its end comes back to the main
// loop through a Glib::Dispatcher.

#include <gtkmm.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "app/explore/scan_controller.h"
#include "app/gui/appearance.h"
#include "app/gui/frame_stopwatch.h"
#include "app/gui/last_scan.h"

namespace brimlet::gui {

class WelcomePage;
class SummaryPage;
class ScanningPage;
class ExplorePage;
class PreferencesDialog;
class FolderActions;

class MainWindow : public Gtk::ApplicationWindow {
public:
    // Builds the window from its .ui resource. `screenshot`: the PNG to write once the window
    // shows what it was asked to (empty: none); the application quits after writing it.
    // `sessionBus`: whether to follow the desktop's colour scheme through the settings portal.
    static MainWindow* create(std::string screenshot, bool sessionBus);

    MainWindow(BaseObjectType* object, const Glib::RefPtr<Gtk::Builder>& builder,
               std::string screenshot, bool sessionBus);
    ~MainWindow() override;

    // Shows `folder` from the tree in memory when it holds it; scans it otherwise.
    void openFolder(const std::string& folder);
    // Arms the screenshot (once): after a scan of `folder` is shown when one is given, else
    // after the first frame of the page the window opened on.
    void startScreenshot(const std::string& folder);

private:
    void addActions();
    void showLastScan();
    // Opens the explore page on the history's last record of the preferred folder; false (and
    // nothing shown) when there is none. A history that cannot be read leaves a line in
    // `historyProblem_`.
    bool showLastRecord();
    // Hands the explore page the records of the tree it shows, after a scan.
    void showHistoryOf(const std::string& root);
    void showPage(const char* name);
    void setTitles(const std::string& title, const std::string& subtitle);
    void showProblem(const std::string& line);
    void hideProblem();

    // Checks `folder` (exists, is a folder, can be opened) and starts scanning it; a folder that
    // fails leaves everything as it was, with one line in the banner.
    void scan(const std::string& folder);
    void rescan();
    void chooseFolder();
    void cancelScan();
    bool onProgressTick();
    void onScanEnded();
    void logScanShown();
    void setScanning(bool scanning);

    void armScreenshot();
    void writeScreenshot();

    Glib::RefPtr<Gtk::Builder> builder_;
    Gtk::Stack* pages_ = nullptr;
    Gtk::Label* title_ = nullptr;
    Gtk::Label* subtitle_ = nullptr;
    Gtk::Revealer* problemRevealer_ = nullptr;
    Gtk::Label* problem_ = nullptr;
    Gtk::Button* scanButton_ = nullptr;
    Gtk::Button* cancelButton_ = nullptr;
    Gtk::MenuButton* folderMenuButton_ = nullptr;  // the selected row's menu, on the explore page
    WelcomePage* welcome_ = nullptr;
    SummaryPage* summary_ = nullptr;
    ScanningPage* scanning_ = nullptr;
    ExplorePage* explore_ = nullptr;

    std::unique_ptr<Appearance> appearance_;
    std::unique_ptr<FolderActions> folderActions_;
    Glib::Dispatcher scanEnded_;
    std::unique_ptr<ScanController> controller_;
    sigc::connection progressTimer_;
    std::string scanRoot_;  // the folder being scanned
    // When the scan started: logged (debug, domain "Brimlet") once its tree is on screen.
    std::chrono::steady_clock::time_point scanStarted_;
    FrameStopwatch scanStopwatch_;
    std::string pageBeforeScan_;        // shown again when a scan is cancelled or fails
    std::optional<LastScan> lastScan_;  // the snapshot the window opened on
    std::string historyProblem_;        // why the history could not be read, or empty
    Glib::RefPtr<Gtk::FileChooserNative> chooser_;
    std::unique_ptr<PreferencesDialog> preferences_;  // built when first opened

    std::string screenshot_;
    std::string screenshotFolder_;
    bool screenshotArmed_ = false;
    bool screenshotDue_ = false;
    int screenshotRetries_ = 0;
    sigc::connection afterPaint_;
};

}  // namespace brimlet::gui
