#include "app/gui/frame_stopwatch.h"

#include <glib-object.h>
#include <glib.h>

namespace brimlet::gui {

void FrameStopwatch::start(const Glib::RefPtr<Gdk::FrameClock>& clock, Clock::time_point since,
                           Clock::time_point ready, std::size_t rows) {
    stop();
    if (!clock) return;
    clock_ = clock;
    since_ = since;
    ready_ = ready;
    changed_ = Clock::now();
    laidOut_ = changed_;
    rows_ = rows;
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
    self->laidOut_ = Clock::now();
}

void FrameStopwatch::onAfterPaint(GdkFrameClock*, FrameStopwatch* self) {
    self->drawn_ = Clock::now();
    self->log();
    self->stop();
}

void FrameStopwatch::log() const {
    const auto ms = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    g_log("Brimlet", G_LOG_LEVEL_DEBUG,
          "folder of %zu rows shown in %.1f ms (rows %.1f, widgets %.1f, then layout %.1f, paint "
          "%.1f)",
          rows_, ms(drawn_ - since_), ms(ready_ - since_), ms(changed_ - ready_),
          ms(laidOut_ - changed_), ms(drawn_ - laidOut_));
}

}  // namespace brimlet::gui
