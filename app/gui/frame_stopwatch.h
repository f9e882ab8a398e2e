#pragma once
// Times a change of the window from the moment it was asked for to the end of the first frame
// that shows it, and logs it (debug, domain "Brimlet"): "folder of N rows shown in X ms", with
// where the time went: the explorer's rows, the widgets bound to them, then up to the end of the
// next frame's layout (measuring and placing widgets), then its paint (snapshot and rendering). The
// frame counts as shown at the frame clock's after-paint, once the window's pixels are drawn.

#include <gdkmm/frameclock.h>

#include <chrono>
#include <cstddef>

namespace brimlet::gui {

class FrameStopwatch {
public:
    FrameStopwatch() = default;
    FrameStopwatch(const FrameStopwatch&) = delete;
    FrameStopwatch& operator=(const FrameStopwatch&) = delete;
    ~FrameStopwatch() { stop(); }

    // Starts timing the showing of `rows` rows asked for at `since`, ready at `ready` (the
    // explorer's part), on `clock`'s next frame; the widgets are taken to be bound now. A timing
    // under way is dropped.
    void start(const Glib::RefPtr<Gdk::FrameClock>& clock,
               std::chrono::steady_clock::time_point since,
               std::chrono::steady_clock::time_point ready, std::size_t rows);
    void stop();

private:
    using Clock = std::chrono::steady_clock;
    static void onLayout(GdkFrameClock*, FrameStopwatch* self);
    static void onAfterPaint(GdkFrameClock*, FrameStopwatch* self);
    void log() const;

    // gtkmm 4.8 does not wrap after-paint: the handlers are GObject's.
    Glib::RefPtr<Gdk::FrameClock> clock_;
    gulong handlers_[2] = {};
    Clock::time_point since_, ready_, changed_, laidOut_, drawn_;
    std::size_t rows_ = 0;
};

}  // namespace brimlet::gui
