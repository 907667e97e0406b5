#include <Foundation/URL.h>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto url = Foundation::URL::parse(text);
    if (!url)
        return 0;
    // The absolute string holds no white space or angle brackets, and parses to itself.
    for (const char c : url->absoluteString()) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '<' || c == '>' ||
            static_cast<unsigned char>(c) >= 0x80)
            __builtin_trap();
    }
    const auto again = Foundation::URL::parse(url->absoluteString());
    if (!again || !(*again == *url) || again->host() != url->host())
        __builtin_trap();
    return 0;
}
