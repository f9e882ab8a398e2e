#pragma once
// Scoped helpers for tests and benchmarks: an environment variable changed for one scope (with
// tzset() for TZ), and the one scratch folder every test and benchmark makes its files in.

#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

namespace brimlet_test {

// Sets (or, with nullopt, unsets) one environment variable; the destructor restores the value
// it had, or its absence. For TZ the C library's zone is reloaded both times.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::optional<std::string>& value) : name_(std::move(name)) {
        if (const char* old = ::getenv(name_.c_str())) previous_ = old;
        apply(value);
    }
    ~ScopedEnv() { apply(previous_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void apply(const std::optional<std::string>& value) const {
        if (value)
            ::setenv(name_.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
        if (name_ == "TZ") ::tzset();
    }

    std::string name_;
    std::optional<std::string> previous_;
};

// A fresh directory under the system's temporary folder, removed with everything in it at the
// end of the scope.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "brimlet-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // Empty when the directory could not be made.
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace brimlet_test
