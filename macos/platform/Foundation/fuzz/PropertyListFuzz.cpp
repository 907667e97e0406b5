#include <Foundation/PropertyList.h>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto plist = Foundation::parsePropertyList(text)) {
        // Whatever parsed must survive a round trip unchanged.
        const auto again = Foundation::parsePropertyList(Foundation::serializePropertyList(*plist));
        if (!again || !(*again == *plist))
            __builtin_trap();
    }
    return 0;
}
