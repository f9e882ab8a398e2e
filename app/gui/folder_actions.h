#pragma once
// What the person does with a folder of the scan shown: the window's actions behind the folder
// menu (win.open-in-files, win.copy-path, win.trash-folder, win.pin-folder, win.unpin-folder),
// and the biggest files of the current folder, opened from its files row. Each is enabled only
// where it applies to the selected row; pin and unpin take turns, so the menu shows the one
// that fits. Move to Trash runs GIO's move off the main loop and keeps the books on it.

#include <gtkmm.h>

#include <functional>
#include <memory>
#include <string>

#include "app/gui/background_call.h"

namespace brimlet {
struct FileEntry;
struct Folder;
struct HeldScan;
}  // namespace brimlet

namespace brimlet::gui {

class BiggestFilesDialog;
class ExplorePage;

class FolderActions {
public:
    // Adds the actions to `window`. `explore` shows the scan; `showProblem` puts one line in
    // the window's message area. Both outlive this.
    FolderActions(Gtk::ApplicationWindow& window, ExplorePage& explore,
                  std::function<void(const std::string&)> showProblem);
    ~FolderActions();

    // The scan the explore page now shows (nullptr: none).
    void setScan(std::shared_ptr<HeldScan> held);
    // Whether the explore page is the one shown and no scan runs.
    void setAvailable(bool available);
    // Enables the actions that fit the selected row (call when the selection changes).
    void update();
    // The biggest files of the current folder.
    void showBiggestFiles();

private:
    std::string selectedPath() const;
    void openInFiles();
    // The folder's default handler (the file manager) opens it.
    void showFolder(const std::string& path);
    void copyPath();
    void askTrash();
    void startTrash(const std::shared_ptr<HeldScan>& held, const Folder& folder);
    void finishTrash(const std::shared_ptr<HeldScan>& held, const Folder& folder,
                     const std::string& error);
    void fileTrashed(const Folder& folder, const FileEntry& file);
    void setPinned(bool pinned);

    Gtk::ApplicationWindow& window_;
    ExplorePage& explore_;
    std::function<void(const std::string&)> showProblem_;
    Glib::RefPtr<Gio::SimpleAction> open_, copy_, trash_, pin_, unpin_;
    std::shared_ptr<HeldScan> held_;
    bool available_ = false;
    BackgroundCall background_;
    std::unique_ptr<BiggestFilesDialog> files_;
    // Expires with this object: a reply from D-Bus or the launcher that comes later is dropped.
    std::shared_ptr<FolderActions*> self_;
};

}  // namespace brimlet::gui
