#pragma once
// The biggest files directly inside one folder, read when the dialog opens (the scan keeps
// folders, not files), each with its size; the selected file can be moved to the trash after a
// confirmation. One file at a time: there is no way to trash many at once.

#include <gtkmm.h>

#include <functional>
#include <string>
#include <vector>

#include "app/actions/trash.h"
#include "app/gui/background_call.h"

namespace brimlet::gui {

class BiggestFilesDialog : public Gtk::Window {
public:
    // Lists the files of the folder at `path` (absolute, raw bytes), shown as `name`.
    // `onTrashed` runs on the main loop after a file has gone to the trash.
    BiggestFilesDialog(Gtk::Window& parent, std::string path, const std::string& name,
                       std::function<void(const FileEntry&)> onTrashed);

    // Files listed at most.
    static constexpr std::size_t kTop = 50;

private:
    void read();
    void showFiles();
    void askTrash();
    void showProblem(const std::string& line);

    std::string path_;
    std::function<void(const FileEntry&)> onTrashed_;
    std::vector<FileEntry> files_;
    Gtk::Box box_{Gtk::Orientation::VERTICAL, 0};
    Gtk::Stack stack_;
    Gtk::Spinner spinner_;
    Gtk::ScrolledWindow scroller_;
    Gtk::ListBox list_;
    Gtk::Label empty_;
    Gtk::Label problem_;
    Gtk::Button trash_;
    BackgroundCall background_;
};

}  // namespace brimlet::gui
