#pragma once
// The desk's window: the placed widgets' tiles in store order, kept current by the display-free
// model (host::PlacedTimelines), with the menus and dialogs that change what is placed.

#include <gtk/gtk.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/widgetkit/configuration.h"
#include "platform/widgetkit/desk/appearance.h"
#include "platform/widgetkit/desk/system_events.h"
#include "platform/widgetkit/desk/tile_texture.h"
#include "platform/widgetkit/host/placed_store.h"
#include "platform/widgetkit/host/placed_timelines.h"
#include "platform/widgetkit/host/request_threads.h"

namespace widgetkit::desk {

struct DeskOptions {
    // Non-empty: write the window's pixels here once every tile has its first entry, then quit.
    std::string screenshot;
    // With a screenshot: stay open and write it again whenever a tile is drawn anew.
    bool keepOpen = false;
    // Whether a session bus can be reached (the settings portal, notifications).
    bool sessionBus = true;
};

class DeskWindow {
public:
    // `widgets` must live as long as the process: requests that never return still point at it.
    DeskWindow(GtkApplication* app, const TupleWidget& widgets, DeskOptions options);
    ~DeskWindow();
    DeskWindow(const DeskWindow&) = delete;
    DeskWindow& operator=(const DeskWindow&) = delete;

    void present();

    // Exit status for a screenshot run: 0 written, 1 failed.
    int status() const { return status_; }

    // Places, configures or removes under the store's lock; a failure is shown in the window.
    void place(const WidgetConfiguration& widget, WidgetFamily family);
    void configure(const std::string& id, const std::string& area);
    void remove(const std::string& id);
    const TupleWidget& widgets() const { return widgets_; }
    GtkWindow* window() const { return window_; }
    TileLook look() const;
    const host::PlacedTimelines& model() const { return model_; }

private:
    struct WakeTarget;
    struct TileView {
        std::string id;
        GtkWidget* widget = nullptr;   // a picture, or a label for a widget that cannot be asked
        GtkWidget* popover = nullptr;  // its context menu, made on first use
        WidgetFamily family = WidgetFamily::systemSmall;
        bool isProblem = false;
        // What the picture shows now, so that only changed tiles are drawn again.
        bool drawn = false;
        std::uint64_t revision = 0;
        std::size_t index = 0;
        bool live = false;
        int scale = 0;
        bool dark = false;
        bool accented = false;
    };

    void buildWindow();
    void addActions();
    void watchFiles();
    void watchContainer();
    void loadStore();
    bool changeStore(const std::function<void(host::PlacedWidgets&)>& change);
    void showProblem(const std::string& problem);

    void reloadAll();
    void schedulePump(unsigned delayMs);
    void pump();
    void armWake();
    void syncTiles();
    void redraw();
    void notifyLowSpace();
    void maybeScreenshot();
    void writeScreenshot();

    TileView* findView(const std::string& id);
    GtkWidget* makeTileWidget(const host::PlacedTimelines::Tile& tile, TileView& view);
    void popUpMenu(const std::string& id, double x, double y);
    // Opens Brimlet: at the area's folder for the breakdown tile `id`, on its last scan for any
    // other tile (and for an empty `id`, the menu's "Open Brimlet").
    void openBrimlet(const std::string& id);

    static void onFileChanged(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent, gpointer self);
    static void onStoreChanged(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent, gpointer self);
    static void onDataHomeChanged(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent, gpointer self);

    GtkApplication* app_;
    const TupleWidget& widgets_;
    DeskOptions options_;
    int status_ = 0;

    std::optional<host::PlacedStore> store_;
    host::PlacedTimelines model_;
    std::shared_ptr<host::AnswerInbox> inbox_;
    std::shared_ptr<std::atomic<bool>> answersPending_ = std::make_shared<std::atomic<bool>>(false);
    std::unique_ptr<SystemEvents> systemEvents_;
    std::unique_ptr<Appearance> appearance_;

    GtkWindow* window_ = nullptr;
    GtkWidget* stack_ = nullptr;    // the tiles or the empty desk's button
    GtkWidget* grid_ = nullptr;     // the tiles, laid out in rows
    GtkWidget* problem_ = nullptr;  // a store that cannot be read, or a failed change
    std::vector<TileView> views_;
    bool accented_ = false;

    GFileMonitor* storeMonitor_ = nullptr;
    GFileMonitor* containerMonitor_ = nullptr;
    GFileMonitor* dataHomeMonitor_ = nullptr;
    guint pumpSource_ = 0;
    guint wakeSource_ = 0;
    std::shared_ptr<WakeTarget> wakeTarget_;
    bool storeDirty_ = false;
    bool screenshotDue_ = false;
    bool screenshotWritten_ = false;
};

}  // namespace widgetkit::desk
