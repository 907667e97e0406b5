#include <AppKit/KeyPress.h>
#include <Foundation/Unicode.h>
#include <Graphics/Cells.h>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The bytes arrive in two reads, split where the first byte says, with a pause between them long
// enough for an open paste to time out when its top bit is set; however they arrive, every
// character decoded is one scalar a terminal can show, and no paste is left open at the end.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t split = size == 0 ? 0 : data[0] % size;
    const double later = size > 0 && (data[0] & 0x80) ? AppKit::KeyDecoder::pasteTimeout : 0;
    AppKit::KeyDecoder decoder;
    auto presses = decoder.feed(bytes.substr(0, split), 0);
    for (auto& press : decoder.expire(later))
        presses.push_back(std::move(press));
    for (auto& press : decoder.feed(bytes.substr(split), later))
        presses.push_back(std::move(press));
    for (auto& press : decoder.expire(later + AppKit::KeyDecoder::pasteTimeout))
        presses.push_back(std::move(press));
    if (decoder.deadline())
        __builtin_trap();
    for (const auto& press : presses) {
        if (press.key != AppKit::KeyPress::Key::Character)
            continue;
        const std::u32string scalars = Foundation::Unicode::scalars(press.text);
        if (scalars.size() != 1 || Foundation::Unicode::utf8(scalars) != press.text ||
            Graphics::isControlScalar(scalars[0]))
            __builtin_trap();
    }
    return 0;
}
