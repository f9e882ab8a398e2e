#pragma once
// Process-wide test seams for the platform's outside world: the clock, the volume-figure query and
// the root under which group containers are looked up.
//
// Providers and queries have no fields, so tests cannot hand them fakes; instead a test installs
// an override for the life of a scope. Install overrides before starting threads that use them
// and remove them after joining those threads: the slot is atomic, the override itself must
// outlive every call that may read it. Scopes nest; the inner one wins until it ends.

#include <functional>
#include <optional>
#include <string>

#include "platform/foundation/date.h"
#include "platform/foundation/volume.h"

namespace foundation::testing {

using ClockFn = std::function<Date()>;
using VolumeQueryFn = std::function<std::optional<VolumeFigures>(const std::string& path)>;

class ScopedClock {
public:
    explicit ScopedClock(ClockFn clock);
    // A clock that always reads `fixed`.
    explicit ScopedClock(Date fixed);
    ~ScopedClock();
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

private:
    ClockFn fn_;
    const ClockFn* previous_;
};

class ScopedVolumeQuery {
public:
    explicit ScopedVolumeQuery(VolumeQueryFn query);
    ~ScopedVolumeQuery();
    ScopedVolumeQuery(const ScopedVolumeQuery&) = delete;
    ScopedVolumeQuery& operator=(const ScopedVolumeQuery&) = delete;

private:
    VolumeQueryFn fn_;
    const VolumeQueryFn* previous_;
};

// Makes groupContainer() look under `root` instead of the data home: the container of group G is
// then `root/G/` if that folder exists. An empty root means no container is available at all.
class ScopedContainerRoot {
public:
    explicit ScopedContainerRoot(std::string root);
    ~ScopedContainerRoot();
    ScopedContainerRoot(const ScopedContainerRoot&) = delete;
    ScopedContainerRoot& operator=(const ScopedContainerRoot&) = delete;

private:
    std::string root_;
    const std::string* previous_;
};

namespace detail {
const ClockFn* clockOverride();
const VolumeQueryFn* volumeQueryOverride();
const std::string* containerRootOverride();
}  // namespace detail

}  // namespace foundation::testing
