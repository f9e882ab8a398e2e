#pragma once
// Test seams of the scanner: failing the opening of chosen folders, and failing the snapshot
// write part-way. Tests run as root, where permissions never refuse an open, so "unreadable" and
// "the disk filled up" can only be reached this way.
//
// Same rules as foundation::testing: install before the scan starts, remove after it ends; the
// slot is atomic, the override must outlive every call that may read it. Scopes nest.

#include <cstddef>
#include <functional>
#include <string>

namespace brimlet::testing {

// Returns the errno with which opening the folder at `path` (absolute) should fail, or 0 to
// open it normally.
using OpenFaultFn = std::function<int(const std::string& path)>;

class ScopedOpenFault {
public:
    explicit ScopedOpenFault(OpenFaultFn fault);
    ~ScopedOpenFault();
    ScopedOpenFault(const ScopedOpenFault&) = delete;
    ScopedOpenFault& operator=(const ScopedOpenFault&) = delete;

private:
    OpenFaultFn fn_;
    const OpenFaultFn* previous_;
};

// Makes every snapshot write stop with EIO once `bytesBeforeFailure` bytes of the document have
// been written, as a full or failing disk would.
class ScopedWriteFault {
public:
    explicit ScopedWriteFault(std::size_t bytesBeforeFailure);
    ~ScopedWriteFault();
    ScopedWriteFault(const ScopedWriteFault&) = delete;
    ScopedWriteFault& operator=(const ScopedWriteFault&) = delete;

private:
    std::size_t limit_;
    const std::size_t* previous_;
};

namespace detail {
const OpenFaultFn* openFault();
// The byte count after which writes fail, or nullptr for no fault.
const std::size_t* writeFault();
}  // namespace detail

}  // namespace brimlet::testing
