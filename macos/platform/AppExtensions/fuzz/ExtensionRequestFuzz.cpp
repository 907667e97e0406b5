#include <AppExtensions/ExtensionRequest.h>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto items = AppExtensions::decodeRequest(Foundation::Bytes(data, size));
    if (!items)
        return 0;
    // What a host writes, an extension reads back the same.
    const std::string again = AppExtensions::encodeRequest(*items);
    const auto reread = AppExtensions::decodeRequest(Foundation::dataFrom(again));
    if (!reread || AppExtensions::encodeRequest(*reread) != again)
        __builtin_trap();
    return 0;
}
