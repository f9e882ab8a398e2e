// libFuzzer target over the snapshot decoder. Beyond "never crash, never leak, no undefined
// behaviour", it checks the decoder's promises on every input that decodes: the snapshot has a
// JSON form, and that form decodes again to a snapshot with the very same encoding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "extension/shared/disk_snapshot.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto snapshot = brimlet::DiskSnapshot::decode(bytes);
    if (!snapshot) return 0;
    const auto encoded = snapshot->encode();
    if (!encoded) std::abort();  // a decoded snapshot always has a JSON form
    const auto again = brimlet::DiskSnapshot::decode(*encoded);
    if (!again || again->encode() != encoded) std::abort();  // and it round-trips exactly
    return 0;
}
