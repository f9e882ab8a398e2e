#pragma once
// The one byte-count formatter of both widgets.

#include <cstdint>
#include <string>

namespace brimlet {

// A short size text in units of 1024: "0 B", "-1 B", "1023 B", "1.0 KB", "976.6 KB", "931.3 GB",
// "8388608.0 TB". Counts below 1024 (every negative one included) are written as the integer
// itself with " B". Larger counts are scaled by 1/1024 while the unrounded value is 1024 or more,
// up to "TB" and never beyond, and written with exactly one decimal, rounded half to even on the
// exact binary value. The decimal point is always '.', whatever the process locale says, and
// nothing goes through printf or streams.
std::string humanBytes(std::int64_t bytes);

}  // namespace brimlet
