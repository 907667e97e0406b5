#include "menubar/LocalHTTP.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Foundation::Bytes bytes(data, size);
    const auto reply = LocalHTTP::parse(bytes);
    if (reply.status == 0 && !reply.body && bytes.size() >= 4 &&
        Foundation::textView(bytes).find("\r\n\r\n") != std::string_view::npos)
        __builtin_trap();
    const auto decoded = LocalHTTP::dechunk(bytes);
    // Decoding only ever drops framing: it cannot produce more than it was given.
    if (decoded.size() > bytes.size())
        __builtin_trap();
    return 0;
}
