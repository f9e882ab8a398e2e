#pragma once
// The two ways a host command fails. The command boundary turns each into one line on standard
// error and an exit status.

#include <stdexcept>

namespace widgetkit::host {

// Bad arguments: exit status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Something could not be done (a write failed, the store is corrupt): exit status 1.
struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace widgetkit::host
