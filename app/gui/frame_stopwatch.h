#pragma once
// Times a change of the window from the moment it was asked for to the end of the first frame
// that shows it, with where the time went: the data behind it (`ready`), the widgets bound to it
// (when start() is called), then up to the end of the next frame's layout (measuring and placing
// widgets), then its paint (snapshot and rendering). The frame counts as shown at the frame
// clock's after-paint, once the window's pixels are drawn. The caller says what to log.

#include <gdkmm/frameclock.h>

#include <chrono>
#include <functional>

namespace brimlet::gui {

class FrameStopwatch {
public:
    using Clock = std::chrono::steady_clock;
    struct Times {
        Clock::time_point since, ready, changed, laidOut, drawn;
    };
    using Report = std::function<void(const Times&)>;

    FrameStopwatch() = default;
    FrameStopwatch(const FrameStopwatch&) = delete;
    FrameStopwatch& operator=(const FrameStopwatch&) = delete;
    ~FrameStopwatch() { stop(); }

    // Starts timing a change asked for at `since`, its data ready at `ready`, on `clock`'s next
    // frame; the widgets are taken to be bound now. `report` runs once that frame is drawn. A
    // timing under way is dropped.
    void start(const Glib::RefPtr<Gdk::FrameClock>& clock, Clock::time_point since,
               Clock::time_point ready, Report report);
    void stop();

    static double milliseconds(Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    }

private:
    static void onLayout(GdkFrameClock*, FrameStopwatch* self);
    static void onAfterPaint(GdkFrameClock*, FrameStopwatch* self);

    // gtkmm 4.8 does not wrap after-paint: the handlers are GObject's.
    Glib::RefPtr<Gdk::FrameClock> clock_;
    gulong handlers_[2] = {};
    Times times_;
    Report report_;
};

}  // namespace brimlet::gui
