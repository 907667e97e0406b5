// The order-preserving parser on arbitrary bytes, with the round-trip property: whatever it
// accepts, written and parsed again, is an equal value, decoded without loss, that writes the
// same text.
#include "JSON.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto first = JSON::parse(Foundation::Bytes(data, size));
    if (!first.value)
        return 0;
    const std::string written = first.value->serialized();
    const auto second = JSON::parse(written);
    if (!second.value || second.lossy || !(*second.value == *first.value) ||
        second.value->serialized() != written)
        __builtin_trap();
    return 0;
}
