#pragma once
// The desk's window: a header bar with the primary menu, and the placed widgets' tiles in store
// order, kept current by the display-free model (host::PlacedTimelines). The window only wires
// GTK to the model: events ask the model, the model's answers are drawn.

#include <gdkmm/frameclock.h>
#include <giomm/filemonitor.h>
#include <giomm/simpleaction.h>
#include <gtkmm/application.h>
#include <gtkmm/applicationwindow.h>
#include <gtkmm/box.h>
#include <gtkmm/builder.h>
#include <gtkmm/label.h>
#include <gtkmm/stack.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/widgetkit/configuration.h"
#include "platform/widgetkit/desk/appearance.h"
#include "platform/widgetkit/desk/background.h"
#include "platform/widgetkit/desk/desk_session.h"
#include "platform/widgetkit/desk/system_events.h"
#include "platform/widgetkit/desk/tile_texture.h"
#include "platform/widgetkit/desk/tile_widget.h"
#include "platform/widgetkit/host/placed_store.h"
#include "platform/widgetkit/host/placed_timelines.h"

namespace widgetkit::desk {

struct DeskOptions {
    // Non-empty: write the window's pixels here once every tile has its first entry, then quit.
    std::string screenshot;
    // With a screenshot: stay open and write it again whenever a tile is drawn anew.
    bool keepOpen = false;
    // Whether a session bus can be reached (the settings portal, notifications).
    bool sessionBus = true;
};

class DeskWindow : public Gtk::ApplicationWindow {
public:
    // `bundle` must live as long as the process: requests that never return still point at it.
    // The window joins `app`; the caller owns it.
    static DeskWindow* create(Gtk::Application& app, std::unique_ptr<DeskSession> session,
                              const DeskOptions& options);

    DeskWindow(BaseObjectType* object, const Glib::RefPtr<Gtk::Builder>& builder,
               Gtk::Application& app, std::unique_ptr<DeskSession> session, DeskOptions options);
    ~DeskWindow() override;

    // Exit status for a screenshot run: 0 written, 1 failed.
    int status() const { return status_; }

    // Says `problem` in the window's one line (empty: hides it).
    void showProblem(const std::string& problem);

private:
    struct TileView {
        TileWidget* widget = nullptr;  // managed by the grid
        // What the tile shows now, so that only changed tiles are drawn again.
        bool drawn = false;
        std::uint64_t revision = 0;
        std::size_t index = 0;
        bool live = false;
        TileLook look;
    };

    void addActions();
    void watchFiles();
    void watchContainer();
    void loadStore();
    bool changeStore(const std::function<void(host::PlacedWidgets&)>& change);
    void place(const WidgetConfiguration& widget, WidgetFamily family);
    void configure(const std::string& id, const std::string& area);
    void remove(const std::string& id);
    void openGallery();
    void openPicker(const std::string& id);
    void openTile(const std::string& id);
    void setStartAtLogin(const Glib::RefPtr<Gio::SimpleAction>& action);
    void setKeepBelow(const Glib::RefPtr<Gio::SimpleAction>& action);

    TileLook look() const;
    void reloadAll();
    void schedulePump(unsigned delayMs);
    void pump();
    void armWake();
    void syncTiles();
    void redraw();
    bool drawView(TileView& view, const TileLook& current, foundation::Date now);
    std::optional<DeskAnswer::Drawn> takeDrawnAhead(const std::string& id,
                                                    const host::PlacedTimelines::Shown& shown,
                                                    const TileLook& look);
    std::string accessibleName(const std::string& id, const std::vector<std::string>& texts) const;
    void popUpMenu(const std::string& id, double x, double y);
    void maybeScreenshot();
    void writeScreenshot();

    // An entry a request's thread drew, for the tile revision its answer made.
    struct DrawnAhead {
        std::uint64_t revision = 0;
        DeskAnswer::Drawn drawn;
    };

    std::unique_ptr<DeskSession> session_;
    const TupleWidget& widgets_;
    const std::string appGroup_;
    DeskOptions options_;
    int status_ = 0;

    std::optional<host::PlacedStore>& store_;
    host::PlacedTimelines& model_;
    std::map<std::string, DrawnAhead> drawnAhead_;
    std::shared_ptr<std::atomic<bool>> answersPending_ = std::make_shared<std::atomic<bool>>(false);
    std::unique_ptr<SystemEvents> systemEvents_;
    std::unique_ptr<Appearance> appearance_;

    Gtk::Stack* pages_ = nullptr;
    Gtk::Label* problem_ = nullptr;
    Gtk::Box* grid_ = nullptr;
    std::vector<TileView> views_;
    std::unique_ptr<Gtk::Window> dialog_;
    bool accented_ = false;

    Glib::RefPtr<Gio::FileMonitor> storeMonitor_;
    Glib::RefPtr<Gio::FileMonitor> containerMonitor_;
    Glib::RefPtr<Gio::FileMonitor> dataHomeMonitor_;
    sigc::connection pumpSource_;
    sigc::connection wakeSource_;
    Glib::RefPtr<Gdk::FrameClock> frameClock_;
    gulong afterPaint_ = 0;
    bool storeDirty_ = false;
    bool screenshotDue_ = false;
    bool screenshotWritten_ = false;
    int screenshotTries_ = 0;
    Lifetime lifetime_;
};

}  // namespace widgetkit::desk
