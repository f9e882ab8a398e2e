#pragma once
// Process-wide test seams for the platform's outside world: the clock, the volume-figure query and
// the root under which group containers are looked up.
//
// Providers and queries have no fields, so tests cannot hand them fakes; instead a test installs
// an override for the life of a scope. Install overrides before starting threads that use them
// and remove them after joining those threads: the slot is atomic, the override itself must
// outlive every call that may read it. Scopes nest; the inner one wins until it ends.

#include <atomic>
#include <functional>
#include <optional>
#include <string>

#include "platform/foundation/date.h"
#include "platform/foundation/volume.h"

namespace foundation::testing {

using ClockFn = std::function<Date()>;
using VolumeQueryFn = std::function<std::optional<VolumeFigures>(const std::string& path)>;

namespace detail {

// Installs `value` in `slot` for the life of the scope and puts back what was there before.
template <class T>
class ScopedOverride {
public:
    ScopedOverride(std::atomic<const T*>& slot, T value)
        : slot_(slot), value_(std::move(value)), previous_(slot_.exchange(&value_)) {}
    ~ScopedOverride() { slot_.store(previous_); }
    ScopedOverride(const ScopedOverride&) = delete;
    ScopedOverride& operator=(const ScopedOverride&) = delete;

private:
    std::atomic<const T*>& slot_;
    T value_;
    const T* previous_;
};

std::atomic<const ClockFn*>& clockSlot();
std::atomic<const VolumeQueryFn*>& volumeQuerySlot();
std::atomic<const std::string*>& containerRootSlot();

}  // namespace detail

// Date::now() reads `clock` instead of the system clock.
class ScopedClock : detail::ScopedOverride<ClockFn> {
public:
    explicit ScopedClock(ClockFn clock) : ScopedOverride(detail::clockSlot(), std::move(clock)) {}
    // A clock that always reads `fixed`.
    explicit ScopedClock(Date fixed) : ScopedClock(ClockFn([fixed] { return fixed; })) {}
};

// volumeFigures() answers with `query` instead of asking the file system.
class ScopedVolumeQuery : detail::ScopedOverride<VolumeQueryFn> {
public:
    explicit ScopedVolumeQuery(VolumeQueryFn query)
        : ScopedOverride(detail::volumeQuerySlot(), std::move(query)) {}
};

// Makes groupContainer() look under `root` instead of the data home: the container of group G is
// then `root/G/` if that folder exists. An empty root means no container is available at all.
class ScopedContainerRoot : detail::ScopedOverride<std::string> {
public:
    explicit ScopedContainerRoot(std::string root)
        : ScopedOverride(detail::containerRootSlot(), std::move(root)) {}
};

namespace detail {
const ClockFn* clockOverride();
const VolumeQueryFn* volumeQueryOverride();
const std::string* containerRootOverride();
}  // namespace detail

}  // namespace foundation::testing
