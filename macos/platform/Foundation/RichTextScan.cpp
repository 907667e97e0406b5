#include "RichTextScan.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace Foundation::RichTextScan {

namespace {

// Bytes that a run of plain ASCII text stops at.
constexpr std::array<bool, 256> specialBytes = [] {
    std::array<bool, 256> special{};
    for (std::size_t byte = 0x80; byte < 256; ++byte)
        special[byte] = true;
    for (const unsigned char byte : {'\\', '{', '}', '\r', '\n', '\0'})
        special[byte] = true;
    return special;
}();

static_assert(std::endian::native == std::endian::little, "the byte scan reads its mask that way");

} // namespace

std::size_t plainRunEnd(std::string_view input, std::size_t at) {
    using Bytes16 = signed char __attribute__((vector_size(16)));
    constexpr Bytes16 backslash = Bytes16{} + '\\';
    constexpr Bytes16 open = Bytes16{} + '{';
    constexpr Bytes16 close = Bytes16{} + '}';
    constexpr Bytes16 space = Bytes16{} + ' ';
    while (at + 16 <= input.size()) {
        Bytes16 bytes;
        std::memcpy(&bytes, input.data() + at, 16);
        // Signed bytes: those above ASCII are negative, so "below a space" takes them too,
        // with LF, CR and NUL (and a few plain controls, sorted out below).
        const Bytes16 stops =
            (bytes == backslash) | (bytes == open) | (bytes == close) | (bytes < space);
        std::uint64_t halves[2];
        std::memcpy(halves, &stops, 16);
        if (halves[0] | halves[1]) {
            const std::size_t first =
                halves[0] ? static_cast<std::size_t>(__builtin_ctzll(halves[0]) / 8)
                          : 8 + static_cast<std::size_t>(__builtin_ctzll(halves[1]) / 8);
            at += first;
            if (specialBytes[static_cast<unsigned char>(input[at])])
                return at;
            ++at;
            continue;
        }
        at += 16;
    }
    while (at < input.size() && !specialBytes[static_cast<unsigned char>(input[at])])
        ++at;
    return at;
}

} // namespace Foundation::RichTextScan
