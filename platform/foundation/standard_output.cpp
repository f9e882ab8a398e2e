#include "platform/foundation/standard_output.h"

#include "platform/foundation/command.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

namespace foundation {

bool standardOutputDelivered() {
    std::cout.flush();
    const bool flushed = std::fflush(stdout) == 0;
    return std::cout && flushed && std::ferror(stdout) == 0;
}

bool flushStandardOutput(std::string_view program) {
    errno = 0;
    if (standardOutputDelivered()) return true;
    const int error = errno;
    std::cerr << messageLine(
        program, error != 0
                     ? std::string("cannot write to standard output: ") + std::strerror(error)
                     : "cannot write to standard output");
    return false;
}

}  // namespace foundation
