#include "app/gui/folder_actions.h"

#include <algorithm>
#include <utility>

#include "app/actions/trash.h"
#include "app/gui/biggest_files_dialog.h"
#include "app/gui/explore_page.h"
#include "app/gui/trash_confirmation.h"
#include "app/scan/scan.h"
#include "app/settings/settings.h"
#include "platform/foundation/drawn_name.h"
#include "platform/foundation/localization.h"

namespace brimlet::gui {
namespace {

// A reply that may come after the actions are gone: it finds them through `self` or not at all.
struct Pending {
    std::weak_ptr<FolderActions*> self;
    std::string path;
};

std::string oneLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return text;
}

bool isPinned(const std::string& path) {
    const auto settings = settingsPath();
    if (!settings) return false;
    const auto pins = loadSettings(*settings).preferences.pins;
    return std::find(pins.begin(), pins.end(), path) != pins.end();
}

}  // namespace

FolderActions::FolderActions(Gtk::ApplicationWindow& window, ExplorePage& explore,
                             std::function<void(const std::string&)> showProblem)
    : window_(window),
      explore_(explore),
      showProblem_(std::move(showProblem)),
      self_(std::make_shared<FolderActions*>(this)) {
    open_ = window.add_action("open-in-files", sigc::mem_fun(*this, &FolderActions::openInFiles));
    copy_ = window.add_action("copy-path", sigc::mem_fun(*this, &FolderActions::copyPath));
    trash_ = window.add_action("trash-folder", sigc::mem_fun(*this, &FolderActions::askTrash));
    pin_ = window.add_action("pin-folder", [this] { setPinned(true); });
    unpin_ = window.add_action("unpin-folder", [this] { setPinned(false); });
    update();
}

FolderActions::~FolderActions() = default;

void FolderActions::setScan(std::shared_ptr<HeldScan> held) {
    held_ = std::move(held);
    update();
}

void FolderActions::setAvailable(bool available) {
    available_ = available;
    update();
}

std::string FolderActions::selectedPath() const {
    const ExplorerRow* row = explore_.selectedRow();
    if (!available_ || row == nullptr || row->folder == nullptr) return {};
    return folderPath(*row->folder, explore_.rootPath());
}

void FolderActions::update() {
    const std::string path = selectedPath();
    const bool folder = !path.empty();
    open_->set_enabled(folder);
    copy_->set_enabled(folder);
    trash_->set_enabled(folder && held_ != nullptr && !background_.running());
    const bool pinned = folder && isPinned(path);
    pin_->set_enabled(folder && !pinned);
    unpin_->set_enabled(pinned);
}

void FolderActions::openInFiles() {
    const std::string path = selectedPath();
    if (path.empty()) return;
    const std::string uri = Glib::filename_to_uri(path);
    // The file manager shows the folder where it lies; without one on the bus, the default
    // handler of folders opens it.
    const auto app = window_.get_application();
    GDBusConnection* bus =
        app ? g_application_get_dbus_connection(G_APPLICATION(app->gobj())) : nullptr;
    if (bus == nullptr) {
        showFolder(path);
        return;
    }
    GVariantBuilder items;
    g_variant_builder_init(&items, G_VARIANT_TYPE("as"));
    g_variant_builder_add(&items, "s", uri.c_str());
    g_dbus_connection_call(
        bus, "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
        "org.freedesktop.FileManager1", "ShowItems", g_variant_new("(ass)", &items, ""), nullptr,
        G_DBUS_CALL_FLAGS_NONE, -1, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            const std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
            GError* error = nullptr;
            GVariant* reply =
                g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
            if (reply != nullptr) g_variant_unref(reply);
            if (error == nullptr) return;
            g_error_free(error);
            if (const auto self = pending->self.lock()) (*self)->showFolder(pending->path);
        },
        new Pending{self_, path});
}

void FolderActions::showFolder(const std::string& path) {
    gtk_show_uri_full(
        GTK_WINDOW(window_.gobj()), Glib::filename_to_uri(path).c_str(), GDK_CURRENT_TIME, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            const std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
            GError* error = nullptr;
            if (gtk_show_uri_full_finish(GTK_WINDOW(source), result, &error)) return;
            const std::string line =
                displayName(pending->path) + ": " + std::string(error->message);
            g_error_free(error);
            if (const auto self = pending->self.lock()) {
                (*self)->showProblem_(foundation::drawnName(oneLine(line)));
            }
        },
        new Pending{self_, path});
}

void FolderActions::copyPath() {
    const std::string path = selectedPath();
    if (path.empty()) return;
    // A path that is not UTF-8 cannot be text; its display form is the closest there is.
    window_.get_clipboard()->set_text(Glib::filename_display_name(path));
}

void FolderActions::askTrash() {
    const ExplorerRow* row = explore_.selectedRow();
    if (selectedPath().empty() || held_ == nullptr || background_.running()) return;
    const Folder& folder = *row->folder;
    // The scan is held by the question: a new scan meanwhile does not free this folder.
    confirmTrash(window_, foundation::drawnName(folder.name), folder.size, false,
                 [weak = std::weak_ptr(self_), held = held_, &folder] {
                     const auto self = weak.lock();
                     if (self) (*self)->startTrash(held, folder);
                 });
}

void FolderActions::startTrash(const std::shared_ptr<HeldScan>& held, const Folder& folder) {
    if (background_.running()) return;
    const std::string path = folderPath(folder, held->tree.rootPath());
    const std::uint64_t device = held->tree.device(), inode = folder.inode;
    background_.run([this, held, &folder, path, device, inode] {
        std::string error;
        try {
            moveToTrash(path, device, inode);
        } catch (const std::exception& e) {
            error = e.what();
        }
        return std::function<void()>(
            [this, held, &folder, error] { finishTrash(held, folder, error); });
    });
    update();
}

void FolderActions::finishTrash(const std::shared_ptr<HeldScan>& held, const Folder& folder,
                                const std::string& error) {
    if (!error.empty()) {
        showProblem_(foundation::drawnName(oneLine(error)));
    } else if (held == held_) {
        // Not shown any more (a scan since): that scan's books and snapshot already lack it.
        try {
            recordTrashedFolder(*held, folder);
        } catch (const std::exception& e) {
            showProblem_(foundation::drawnName(oneLine(e.what())));
        }
        explore_.treeEdited();
    }
    // The list's rows were made afresh: the keyboard carries on from it.
    explore_.focusList();
    update();
}

void FolderActions::showBiggestFiles() {
    if (!available_ || held_ == nullptr) return;
    const Folder& folder = explore_.currentFolder();
    const std::string path = folderPath(folder, held_->tree.rootPath());
    const std::string name = displayName(folder.parent == nullptr ? rootNameOf(path) : folder.name);
    files_ =
        std::make_unique<BiggestFilesDialog>(window_, path, foundation::drawnName(name),
                                             [this, held = held_, &folder](const FileEntry& file) {
                                                 if (held == held_) fileTrashed(folder, file);
                                             });
    files_->signal_hide().connect([weak = std::weak_ptr(self_)] {
        Glib::signal_idle().connect_once([weak] {
            if (const auto self = weak.lock()) {
                (*self)->files_.reset();
                (*self)->explore_.focusList();
            }
        });
    });
    files_->present();
}

void FolderActions::fileTrashed(const Folder& folder, const FileEntry& file) {
    try {
        recordTrashedFile(*held_, folder, file);
    } catch (const std::exception& e) {
        showProblem_(foundation::drawnName(oneLine(e.what())));
    }
    explore_.treeEdited();
}

void FolderActions::setPinned(bool pinned) {
    const std::string path = selectedPath();
    const auto settings = settingsPath();
    if (path.empty() || !settings) return;
    try {
        const Preferences preferences = updateSettings(*settings, [&](Preferences& p) {
            const bool there = std::find(p.pins.begin(), p.pins.end(), path) != p.pins.end();
            if (!pinned) std::erase(p.pins, path);
            if (pinned && !there) p.pins.push_back(path);
        });
        // The scan in memory follows at once, without a walk, and rewrites the snapshot.
        std::vector<std::string> notes;
        if (held_ != nullptr) followPins(*held_, preferences, notes);
        if (!notes.empty()) showProblem_(foundation::drawnName(oneLine(notes.front())));
    } catch (const std::exception& e) {
        showProblem_(foundation::drawnName(oneLine(e.what())));
    }
    update();
}

}  // namespace brimlet::gui
