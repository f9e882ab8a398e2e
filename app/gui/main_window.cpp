#include "app/gui/main_window.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "app/explore/recall.h"
#include "app/gui/application.h"
#include "app/gui/explore_page.h"
#include "app/gui/folder_actions.h"
#include "app/gui/preferences_dialog.h"
#include "app/gui/scanning_page.h"
#include "app/gui/screenshot.h"
#include "app/gui/summary_page.h"
#include "app/gui/welcome_page.h"
#include "app/history/history.h"
#include "app/scan/scan.h"
#include "app/settings/settings.h"
#include "extension/shared/human_bytes.h"
#include "platform/foundation/drawn_name.h"
#include "platform/foundation/file.h"
#include "platform/foundation/home.h"
#include "platform/foundation/localization.h"
#include "platform/foundation/volume.h"

namespace brimlet::gui {
namespace {

constexpr unsigned kProgressIntervalMs = 100;

std::string homeFolder() { return foundation::homeDirectory().value_or("/"); }

// The folder the window opens on: the preferred scan folder, else the home folder, as the
// history names roots (canonical).
std::string preferredRoot() {
    std::string folder = homeFolder();
    if (const auto path = settingsPath()) {
        if (auto loaded = loadSettings(*path); loaded.preferences.folder) {
            folder = *loaded.preferences.folder;
        }
    }
    return foundation::canonicalPath(folder).value_or(folder);
}

// Why `folder` cannot be scanned, or empty when it can.
std::string unscannable(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        return foundation::drawnName(folder) + ": " + std::strerror(errno);
    }
    if (!S_ISDIR(st.st_mode)) {
        return foundation::formatLocalized(foundation::localizedFormat("%@ is not a folder."),
                                           {foundation::drawnName(folder)});
    }
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        const std::string reason = std::strerror(errno);
        return foundation::formatLocalized(
            foundation::localizedFormat("%1$@ cannot be opened: %2$@"),
            {foundation::drawnName(folder), reason});
    }
    ::closedir(dir);
    return {};
}

// The bytes the scan of `folder` will likely count: the last scan's size of the same folder, or
// the volume's used bytes for a mount point.
std::optional<std::int64_t> expectedBytes(const std::string& folder, const ExplorePage& explore) {
    if (explore.hasTree() && explore.rootPath() == folder) return explore.rootSize();
    struct stat self {
    }, parent{};
    const std::string up = folder == "/" ? "/" : folder + "/..";
    if (::stat(folder.c_str(), &self) != 0 || ::stat(up.c_str(), &parent) != 0) return {};
    if (folder != "/" && self.st_dev == parent.st_dev) return {};
    const auto figures = foundation::volumeFigures(folder);
    if (!figures || !figures->totalCapacity || !figures->availableCapacity) return {};
    return *figures->totalCapacity - *figures->availableCapacity;
}

}  // namespace

MainWindow* MainWindow::create(std::string screenshot, bool sessionBus) {
    auto builder = Gtk::Builder::create_from_resource("/org/brimlet/Brimlet/main_window.ui");
    return Gtk::Builder::get_widget_derived<MainWindow>(builder, "window", std::move(screenshot),
                                                        sessionBus);
}

MainWindow::MainWindow(BaseObjectType* object, const Glib::RefPtr<Gtk::Builder>& builder,
                       std::string screenshot, bool sessionBus)
    : Gtk::ApplicationWindow(object),
      builder_(builder),
      pages_(builder->get_widget<Gtk::Stack>("pages")),
      title_(builder->get_widget<Gtk::Label>("title_label")),
      subtitle_(builder->get_widget<Gtk::Label>("subtitle_label")),
      problemRevealer_(builder->get_widget<Gtk::Revealer>("problem_revealer")),
      problem_(builder->get_widget<Gtk::Label>("problem_label")),
      scanButton_(builder->get_widget<Gtk::Button>("scan_button")),
      cancelButton_(builder->get_widget<Gtk::Button>("cancel_button")),
      folderMenuButton_(builder->get_widget<Gtk::MenuButton>("folder_menu_button")),
      welcome_(Gtk::Builder::get_widget_derived<WelcomePage>(builder, "welcome_page")),
      summary_(Gtk::Builder::get_widget_derived<SummaryPage>(builder, "summary_page")),
      scanning_(Gtk::Builder::get_widget_derived<ScanningPage>(builder, "scanning_page")),
      explore_(Gtk::Builder::get_widget_derived<ExplorePage>(builder, "explore_page")),
      screenshot_(std::move(screenshot)) {
    addActions();
    folderActions_ = std::make_unique<FolderActions>(
        *this, *explore_, [this](const std::string& line) { showProblem(line); });
    explore_->signalSelectionChanged.connect([this] { folderActions_->update(); });
    explore_->signalFilesAsked.connect([this] { folderActions_->showBiggestFiles(); });
    // A picture shows one page, never two crossfading.
    if (!screenshot_.empty()) pages_->set_transition_type(Gtk::StackTransitionType::NONE);
    builder->get_widget<Gtk::Button>("problem_close")->signal_clicked().connect([this] {
        hideProblem();
    });
    explore_->signalFolderChanged.connect(
        [this](const std::string& name) { setTitles(name, explore_->currentPath()); });
    // The scan's end arrives on its own thread; the dispatcher brings it to the main loop.
    scanEnded_.connect(sigc::mem_fun(*this, &MainWindow::onScanEnded));
    controller_ = std::make_unique<ScanController>([this] { scanEnded_.emit(); });
    appearance_ = std::make_unique<Appearance>(sessionBus, [this] { queue_draw(); });
    showLastScan();
}

MainWindow::~MainWindow() {
    progressTimer_.disconnect();
    afterPaint_.disconnect();
    preferences_.reset();
    // Waits for a move to the trash that is under way, and closes its dialogs.
    folderActions_.reset();
    // Cancels and joins a running scan before the dispatcher it signals goes away.
    controller_.reset();
}

void MainWindow::addActions() {
    add_action("scan", sigc::mem_fun(*this, &MainWindow::rescan));
    add_action("scan-home", [this] { scan(homeFolder()); });
    add_action("choose-folder", sigc::mem_fun(*this, &MainWindow::chooseFolder));
    add_action("cancel-scan", sigc::mem_fun(*this, &MainWindow::cancelScan));
    add_action("go-up", [this] {
        if (pages_->get_visible_child_name() == "explore") explore_->goUp();
    });
    add_action("close", [this] { close(); });
    add_action("preferences", [this] {
        if (!preferences_) preferences_ = PreferencesDialog::create(*this);
        preferences_->open();
    });
}

bool MainWindow::showLastRecord() {
    historyProblem_.clear();
    const auto path = historyPath();
    if (!path) return false;
    std::optional<Recalled> recalled;
    try {
        recalled = recallLatest(*path, preferredRoot());
    } catch (const HistoryError& e) {
        historyProblem_ = foundation::drawnName(e.what());
        return false;
    }
    if (!recalled) return false;
    // No scan is held: nothing can be moved to the trash from a record.
    folderActions_->setScan(nullptr);
    explore_->show(recalled->tree);
    explore_->setHistory(*path, std::move(recalled->records), true);
    showPage("explore");
    return true;
}

void MainWindow::showHistoryOf(const std::string& root) {
    const auto path = historyPath();
    if (!path) return;
    try {
        explore_->setHistory(*path, recordsOf(*path, root), false);
    } catch (const HistoryError& e) {
        showProblem(foundation::drawnName(e.what()));
    }
}

void MainWindow::showLastScan() {
    if (showLastRecord()) return;
    if (!historyProblem_.empty()) showProblem(historyProblem_);
    lastScan_ = readLastScan();
    if (lastScan_->state != LastScan::State::read) {
        welcome_->show(*lastScan_);
        setTitles("Brimlet", "");
        showPage("welcome");
        return;
    }
    const DiskSnapshot& snapshot = *lastScan_->snapshot;
    const std::string home = homeFolder();
    // The snapshot names its root only by its last component; a scan of the home folder is the
    // usual case, and the only one whose folders can be found again from the name.
    const bool ofHome = snapshot.rootName && *snapshot.rootName == rootNameOf(home);
    summary_->show(snapshot, ofHome ? home : std::string(),
                   [this](const std::string& folder) { scan(folder); });
    setTitles(snapshot.rootName.value_or(snapshot.volumeName), SummaryPage::scannedWhen(snapshot));
    showPage("summary");
}

void MainWindow::showPage(const char* name) {
    pages_->set_visible_child(name);
    // The first page's own button is the one way to scan there.
    scanButton_->set_visible(std::string_view(name) != "welcome" && !controller_->running());
    const bool exploring = std::string_view(name) == "explore";
    folderMenuButton_->set_visible(exploring);
    folderActions_->setAvailable(exploring);
}

void MainWindow::setTitles(const std::string& title, const std::string& subtitle) {
    const std::string shown =
        title == "Brimlet" ? title : foundation::drawnName(title) + " — Brimlet";
    title_->set_text(shown);
    set_title(shown);
    subtitle_->set_text(foundation::drawnName(subtitle));
    subtitle_->set_visible(!subtitle.empty());
}

void MainWindow::showProblem(const std::string& line) {
    problem_->set_text(line);
    problemRevealer_->set_visible(true);
    problemRevealer_->set_reveal_child(true);
}

// Hidden, not only folded away, so that a screen reader does not find an empty message.
void MainWindow::hideProblem() {
    problemRevealer_->set_reveal_child(false);
    problemRevealer_->set_visible(false);
}

void MainWindow::openFolder(const std::string& folder) {
    // A scan in memory that holds the folder is shown as it is; a record read back from the
    // history holds only the bigger folders, so the folder asked for is scanned.
    if (!explore_->showsRecord() && explore_->showPath(folder)) {
        hideProblem();
        showPage("explore");
        if (!screenshotFolder_.empty()) armScreenshot();
        return;
    }
    scan(folder);
}

void MainWindow::rescan() {
    if (controller_->running()) return;
    if (explore_->hasTree()) {
        scan(explore_->rootPath());
    } else {
        scan(homeFolder());
    }
}

void MainWindow::scan(const std::string& folder) {
    if (controller_->running()) return;
    if (const std::string problem = unscannable(folder); !problem.empty()) {
        showProblem(problem);
        // A picture of a folder that cannot be scanned shows the line that says why.
        if (!screenshotFolder_.empty()) armScreenshot();
        return;
    }
    hideProblem();
    ScanRequest request;
    request.root = folder;
    const auto expected = expectedBytes(folder, *explore_);
    scanStarted_ = std::chrono::steady_clock::now();
    if (!controller_->start(std::move(request), expected)) return;
    scanRoot_ = folder;
    pageBeforeScan_ = pages_->get_visible_child_name();
    scanning_->start(folder);
    setScanning(true);
    showPage("scanning");
    progressTimer_ = Glib::signal_timeout().connect(
        sigc::mem_fun(*this, &MainWindow::onProgressTick), kProgressIntervalMs);
}

void MainWindow::setScanning(bool scanning) {
    scanButton_->set_visible(!scanning && pages_->get_visible_child_name() != "welcome");
    cancelButton_->set_visible(scanning);
    for (const char* action : {"scan", "scan-home", "choose-folder"}) {
        if (auto a = std::dynamic_pointer_cast<Gio::SimpleAction>(lookup_action(action))) {
            a->set_enabled(!scanning);
        }
    }
    if (scanning) {
        setTitles(rootNameOf(scanRoot_), foundation::localizedFormat("Scanning…"));
        cancelButton_->grab_focus();
    }
}

bool MainWindow::onProgressTick() {
    scanning_->update(controller_->progress());
    return true;
}

void MainWindow::cancelScan() {
    if (controller_->running()) controller_->cancel();
}

void MainWindow::onScanEnded() {
    auto result = controller_->takeResult();
    if (!result) return;
    progressTimer_.disconnect();
    setScanning(false);
    if (result->outcome == ScanOutcome::finished && result->tree) {
        explore_->show(result->tree);
        folderActions_->setScan(result->held);
        showHistoryOf(result->tree->rootPath());
        showPage("explore");
        explore_->focusList();
        logScanShown();
        if (!screenshotFolder_.empty()) armScreenshot();
        return;
    }
    // Cancelled or failed: everything as it was before the scan.
    showPage(pageBeforeScan_.c_str());
    if (pageBeforeScan_ == "explore") {
        explore_->signalFolderChanged.emit(rootNameOf(explore_->currentPath()));
    } else {
        showLastScan();
    }
    if (result->outcome == ScanOutcome::failed) showProblem(foundation::drawnName(result->message));
    if (!screenshotFolder_.empty()) armScreenshot();
}

void MainWindow::logScanShown() {
    const auto now = std::chrono::steady_clock::now();
    scanStopwatch_.start(get_frame_clock(), scanStarted_, now,
                         [root = foundation::drawnName(scanRoot_)](const FrameStopwatch::Times& t) {
                             g_log("Brimlet", G_LOG_LEVEL_DEBUG, "scan of %s shown in %.1f ms",
                                   root.c_str(), FrameStopwatch::milliseconds(t.drawn - t.since));
                         });
}

void MainWindow::chooseFolder() {
    if (controller_->running()) return;
    chooser_ = Gtk::FileChooserNative::create(
        foundation::localizedFormat("Choose a Folder to Scan"), *this,
        Gtk::FileChooser::Action::SELECT_FOLDER, foundation::localizedFormat("_Scan"),
        foundation::localizedFormat("_Cancel"));
    chooser_->set_modal(true);
    chooser_->signal_response().connect([this](int response) {
        if (response == static_cast<int>(Gtk::ResponseType::ACCEPT)) {
            if (const auto file = chooser_->get_file()) scan(file->get_path());
        }
        chooser_.reset();
    });
    chooser_->show();
}

void MainWindow::startScreenshot(const std::string& folder) {
    if (screenshot_.empty() || screenshotArmed_) return;
    screenshotArmed_ = true;
    screenshotFolder_ = folder;
    // Without a folder, the page the window opened on is what the picture shows.
    if (folder.empty()) armScreenshot();
}

void MainWindow::armScreenshot() {
    if (!get_frame_clock()) {
        signal_map().connect([this] { armScreenshot(); }, true);  // not yet on screen
        return;
    }
    screenshotDue_ = true;
    afterPaint_.disconnect();
    // Drawn once more with everything in place, then read back once that frame is done (gtkmm
    // 4.8 wraps no after-paint signal; an idle callback runs after the frame's dispatch).
    afterPaint_ = get_frame_clock()->signal_paint().connect([this] {
        if (!screenshotDue_) return;
        screenshotDue_ = false;
        // Leave the frame clock's handler before writing: the window may go away after.
        Glib::signal_idle().connect_once([this] { writeScreenshot(); });
    });
    queue_draw();
}

void MainWindow::writeScreenshot() {
    afterPaint_.disconnect();
    // The first frames of a window just shown may come before it is on screen: the picture is
    // then taken after a later frame.
    constexpr int kFramesToWait = 60;
    bool drawn = true;
    const foundation::Status status = writeWindowPng(*this, screenshot_, drawn);
    if (!drawn && ++screenshotRetries_ < kFramesToWait) {
        armScreenshot();
        return;
    }
    if (!status) {
        g_printerr("brimlet: cannot write %s: %s\n", screenshot_.c_str(), status.message().c_str());
    }
    if (auto app = std::dynamic_pointer_cast<Application>(get_application())) {
        if (!status) app->setFailed();
        app->quit();
    }
}

}  // namespace brimlet::gui
