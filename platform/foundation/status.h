#pragma once
// The outcome of a fallible platform call: success, or what failed, in the one line a user will
// see ("cannot write /x/y: No space left on device"). Calls that can fail this way return a
// Status and never throw; a caller that ignores one is told so by the compiler.

#include <string>
#include <utility>

namespace foundation {

class [[nodiscard]] Status {
public:
    // Success.
    Status() = default;

    // A failure; `message` says what failed, one line without a trailing newline.
    static Status failure(std::string message) {
        Status status;
        status.failed_ = true;
        status.message_ = std::move(message);
        return status;
    }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    // Empty on success.
    const std::string& message() const { return message_; }

private:
    bool failed_ = false;
    std::string message_;
};

}  // namespace foundation
