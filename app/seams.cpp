#include "app/seams.h"

#include <atomic>

namespace brimlet::testing {
namespace {
std::atomic<const OpenFaultFn*> gOpenFault{nullptr};
std::atomic<const std::size_t*> gWriteFault{nullptr};
}  // namespace

ScopedOpenFault::ScopedOpenFault(OpenFaultFn fault)
    : fn_(std::move(fault)), previous_(gOpenFault.exchange(&fn_)) {}
ScopedOpenFault::~ScopedOpenFault() { gOpenFault.store(previous_); }

ScopedWriteFault::ScopedWriteFault(std::size_t bytesBeforeFailure)
    : limit_(bytesBeforeFailure), previous_(gWriteFault.exchange(&limit_)) {}
ScopedWriteFault::~ScopedWriteFault() { gWriteFault.store(previous_); }

namespace detail {
const OpenFaultFn* openFault() { return gOpenFault.load(); }
const std::size_t* writeFault() { return gWriteFault.load(); }
}  // namespace detail

}  // namespace brimlet::testing
