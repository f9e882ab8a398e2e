#pragma once
// The floor the benchmarks compare file reads against: a whole file read with plain system calls
// into a reused buffer, nothing checked, nothing kept.

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstddef>

namespace bench {

// Reads the file at `path` to its end; returns the byte count (0 when it cannot be opened).
inline std::size_t bareRead(const char* path) {
    static std::array<char, 1 << 16> buffer{};
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    std::size_t total = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n <= 0) break;
        total += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return total;
}

}  // namespace bench
