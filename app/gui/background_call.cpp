#include "app/gui/background_call.h"

#include <utility>

namespace brimlet::gui {

BackgroundCall::BackgroundCall() { done_.connect(sigc::mem_fun(*this, &BackgroundCall::onDone)); }

BackgroundCall::~BackgroundCall() {
    if (thread_.joinable()) thread_.join();
}

bool BackgroundCall::run(std::function<std::function<void()>()> work) {
    if (running_) return false;
    if (thread_.joinable()) thread_.join();
    running_ = true;
    thread_ = std::thread([this, work = std::move(work)] {
        auto then = work();
        {
            std::lock_guard lock(mutex_);
            then_ = std::move(then);
        }
        done_.emit();
    });
    return true;
}

void BackgroundCall::onDone() {
    if (thread_.joinable()) thread_.join();
    std::function<void()> then;
    {
        std::lock_guard lock(mutex_);
        then = std::exchange(then_, nullptr);
    }
    running_ = false;
    if (then) then();
}

}  // namespace brimlet::gui
