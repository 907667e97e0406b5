#include <AppKit/KeyPress.h>
#include <Foundation/Unicode.h>
#include <Graphics/Cells.h>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The bytes arrive in two reads, split where the first byte says; however they are split, every
// character decoded is one scalar a terminal can show.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t split = size == 0 ? 0 : data[0] % size;
    AppKit::KeyDecoder decoder;
    auto presses = decoder.feed(bytes.substr(0, split));
    for (auto& press : decoder.feed(bytes.substr(split)))
        presses.push_back(std::move(press));
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
