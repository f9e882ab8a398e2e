#include "platform/foundation/testing.h"

namespace foundation::testing::detail {

std::atomic<const ClockFn*>& clockSlot() {
    static std::atomic<const ClockFn*> slot{nullptr};
    return slot;
}

std::atomic<const VolumeQueryFn*>& volumeQuerySlot() {
    static std::atomic<const VolumeQueryFn*> slot{nullptr};
    return slot;
}

std::atomic<const std::string*>& containerRootSlot() {
    static std::atomic<const std::string*> slot{nullptr};
    return slot;
}

const ClockFn* clockOverride() { return clockSlot().load(); }
const VolumeQueryFn* volumeQueryOverride() { return volumeQuerySlot().load(); }
const std::string* containerRootOverride() { return containerRootSlot().load(); }

}  // namespace foundation::testing::detail
