#include "app/gui/frame_stopwatch.h"

#include <glib-object.h>
#include <glib.h>

#include <utility>

namespace brimlet::gui {

void FrameStopwatch::start(const Glib::RefPtr<Gdk::FrameClock>& clock, Clock::time_point since,
                           Clock::time_point ready, Report report) {
    stop();
    if (!clock) return;
    clock_ = clock;
    const auto now = Clock::now();
    times_ = Times{since, ready, now, now, now};
    report_ = std::move(report);
    // Connected after GDK's own handlers, so each runs when its phase's work is done.
    const auto connect = [this](const char* signal, auto* handler) {
        return g_signal_connect(clock_->gobj(), signal, G_CALLBACK(handler), this);
    };
    handlers_[0] = connect("layout", &FrameStopwatch::onLayout);
    handlers_[1] = connect("after-paint", &FrameStopwatch::onAfterPaint);
}

void FrameStopwatch::stop() {
    if (!clock_) return;
    for (gulong& handler : handlers_) {
        if (handler != 0) g_signal_handler_disconnect(clock_->gobj(), handler);
        handler = 0;
    }
    clock_.reset();
}

void FrameStopwatch::onLayout(GdkFrameClock*, FrameStopwatch* self) {
    self->times_.laidOut = Clock::now();
}

void FrameStopwatch::onAfterPaint(GdkFrameClock*, FrameStopwatch* self) {
    self->times_.drawn = Clock::now();
    // Disconnected first: the report may start another timing.
    const Report report = std::move(self->report_);
    const Times times = self->times_;
    self->stop();
    if (report) report(times);
}

}  // namespace brimlet::gui
