#pragma once
// The end of a program's run: what it wrote to standard output must have arrived.

#include <string_view>

namespace foundation {

// Flushes std::cout and stdout. False when anything written to standard output did not reach it
// (a full disk, a closed pipe); then one line naming `program` says so on standard error.
[[nodiscard]] bool flushStandardOutput(std::string_view program);

// Flushes std::cout and stdout and says whether everything written to standard output reached
// it, without a word: for a program that has already said why it failed.
[[nodiscard]] bool standardOutputDelivered();

}  // namespace foundation
