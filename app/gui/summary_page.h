#pragma once
// The last scan's summary, shown until a scan of this session replaces it: the volume with its
// fullness ring, the scanned folder's biggest folders and kinds from the snapshot, and a scan
// offered for each folder listed (the snapshot holds only the biggest few, not the tree).

#include <gtkmm.h>

#include <functional>
#include <map>
#include <string>

#include "extension/shared/disk_snapshot.h"

namespace brimlet::gui {

class SummaryPage : public Gtk::Box {
public:
    SummaryPage(BaseObjectType* object, const Glib::RefPtr<Gtk::Builder>& builder);

    // `root`: the folder the snapshot was taken of, when known (empty otherwise); a folder row
    // then scans root/name through `scanFolder`.
    void show(const DiskSnapshot& snapshot, const std::string& root,
              std::function<void(const std::string&)> scanFolder);
    // The header bar's subtitle for this snapshot ("Scanned today at 09:12").
    static std::string scannedWhen(const DiskSnapshot& snapshot);

private:
    Gtk::Widget* header(const DiskSnapshot& snapshot);
    Gtk::Widget* list(const std::string& title, const std::vector<DiskSnapshot::Item>& items,
                      bool folders);

    std::string root_;
    std::map<const Gtk::ListBoxRow*, std::string> paths_;  // the folder each row scans
    std::function<void(const std::string&)> scanFolder_;
};

}  // namespace brimlet::gui
