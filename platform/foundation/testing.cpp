#include "platform/foundation/testing.h"

#include <atomic>

namespace foundation::testing {
namespace {
std::atomic<const ClockFn*> gClock{nullptr};
std::atomic<const VolumeQueryFn*> gVolumeQuery{nullptr};
std::atomic<const std::string*> gContainerRoot{nullptr};
}  // namespace

ScopedClock::ScopedClock(ClockFn clock) : fn_(std::move(clock)), previous_(gClock.exchange(&fn_)) {}
ScopedClock::ScopedClock(Date fixed) : ScopedClock(ClockFn([fixed] { return fixed; })) {}
ScopedClock::~ScopedClock() { gClock.store(previous_); }

ScopedVolumeQuery::ScopedVolumeQuery(VolumeQueryFn query)
    : fn_(std::move(query)), previous_(gVolumeQuery.exchange(&fn_)) {}
ScopedVolumeQuery::~ScopedVolumeQuery() { gVolumeQuery.store(previous_); }

ScopedContainerRoot::ScopedContainerRoot(std::string root)
    : root_(std::move(root)), previous_(gContainerRoot.exchange(&root_)) {}
ScopedContainerRoot::~ScopedContainerRoot() { gContainerRoot.store(previous_); }

namespace detail {
const ClockFn* clockOverride() { return gClock.load(); }
const VolumeQueryFn* volumeQueryOverride() { return gVolumeQuery.load(); }
const std::string* containerRootOverride() { return gContainerRoot.load(); }
}  // namespace detail

}  // namespace foundation::testing
