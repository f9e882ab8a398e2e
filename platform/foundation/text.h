#pragma once
// Numbers to text without printf, streams or the locale: the decimal point is always '.', and
// no grouping separator is ever written, whatever setlocale() says.

#include <cstdint>
#include <string>
#include <string_view>

namespace foundation {

// Appends the decimal digits of `value` ("-" first when negative).
void appendInteger(std::string& out, std::int64_t value);

// Appends `value` with at least `width` digits, zero-padded (for dates and times).
void appendPadded(std::string& out, std::int64_t value, int width);

// Appends `value` in fixed-point notation with `decimals` digits after the point, rounded to
// nearest with ties to even on the exact binary value (as printf's "%.Nf" does). Non-finite
// values are written as "nan", "inf" or "-inf".
void appendFixed(std::string& out, double value, int decimals);

// Appends the shortest text that reads back as exactly `value` (std::to_chars).
// Non-finite values are written as "nan", "inf" or "-inf".
void appendShortest(std::string& out, double value);

}  // namespace foundation
