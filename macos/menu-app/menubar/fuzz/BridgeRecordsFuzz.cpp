#include "menubar/BridgeRecords.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Foundation::Bytes bytes(data, size);
    (void)JSONCoding::decode<Health>(bytes);
    (void)JSONCoding::decode<DeviceLists>(bytes);
    return 0;
}
