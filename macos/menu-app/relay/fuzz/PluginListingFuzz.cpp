// The reader of the plug-in tool's listing: the first line of the input names the extension,
// the rest is the listing.
#include "relay/ShareExtension.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t end = input.find('\n');
    if (end == std::string_view::npos || end == 0)
        return 0;
    const std::string_view identifier = input.substr(0, end);
    const std::string_view listing = input.substr(end + 1);
    const ShareExtension::State state = ShareExtension::listed(listing, identifier);
    // Not registered exactly when no line names the extension.
    if ((state == ShareExtension::State::notRegistered) !=
        (listing.find(identifier) == std::string_view::npos))
        __builtin_trap();
    return 0;
}
