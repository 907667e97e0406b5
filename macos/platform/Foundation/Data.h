// Byte buffers and their text views.
//
// `Data` is the one byte-buffer type of the system: request and reply bodies,
// pipe output and file contents. Text is UTF-8 in std::string; decoding bytes
// that may not be valid UTF-8 replaces each maximal invalid subsequence with
// U+FFFD and never fails.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Foundation {

using Data = std::vector<std::uint8_t>;
using Bytes = std::span<const std::uint8_t>;

inline Data dataFrom(std::string_view text) {
    return Data(text.begin(), text.end());
}

inline std::string_view textView(Bytes bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The bytes decoded as UTF-8, every invalid sequence replaced by U+FFFD.
std::string decodeUTF8Lossy(Bytes bytes);
inline std::string decodeUTF8Lossy(std::string_view text) {
    return decodeUTF8Lossy(Bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}
// The same for text held in a string: valid text is moved rather than copied.
std::string decodeUTF8Lossy(std::string&& text);

bool isValidUTF8(std::string_view text);
// The length of the well-formed UTF-8 sequence that starts at `at`; 0 where none does.
std::size_t validUTF8SequenceLength(Bytes bytes, std::size_t at);

} // namespace Foundation
