#pragma once
// A placed widget's configuration picker ("Edit Widget…"), a dialog transient for the desk: the
// intent's title, the parameter's title, the query's suggested entities by their display
// representations, the stored one selected (rebuilt through the query) or else the default.
// The query runs off the main thread; until it answers the dialog says "Loading…".

#include <gtkmm/builder.h>
#include <gtkmm/listbox.h>
#include <gtkmm/stack.h>
#include <gtkmm/window.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/widgetkit/configuration.h"
#include "platform/widgetkit/desk/background.h"

namespace widgetkit::desk {

class PickerDialog : public Gtk::Window {
public:
    using Choose = std::function<void(const std::string& entityId)>;

    // `panel` must live as long as the process (a query that hangs still reads it). `choose`
    // stores the chosen identifier; the dialog closes after it.
    static std::unique_ptr<PickerDialog> create(Gtk::Window& parent, const IntentPanel& panel,
                                                const std::optional<std::string>& stored,
                                                Choose choose);

    PickerDialog(BaseObjectType* object, const Glib::RefPtr<Gtk::Builder>& builder,
                 const IntentPanel& panel, Choose choose);

private:
    struct Answer {
        std::vector<EntityOption> options;
        std::optional<std::string> selected;
    };
    static Answer ask(const IntentPanel& panel, const std::optional<std::string>& stored);
    void show(const Answer& answer);

    const IntentPanel& panel_;
    Choose choose_;
    Gtk::Stack* pages_ = nullptr;
    Gtk::ListBox* list_ = nullptr;
    std::vector<std::string> ids_;  // the rows' identifiers, in row order
    Lifetime lifetime_;
};

}  // namespace widgetkit::desk
