#include "Data.h"

#include <cstring>

namespace Foundation {

namespace {

// Length of the valid UTF-8 sequence starting at `at`, or 0 with `invalidLength` set to the
// length of the maximal invalid subpart to replace (the rule Unicode recommends).
std::size_t validSequenceLength(Bytes bytes, std::size_t at, std::size_t& invalidLength) {
    const std::uint8_t lead = bytes[at];
    invalidLength = 1;
    if (lead < 0x80)
        return 1;
    std::size_t length;
    std::uint8_t low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (at + i >= bytes.size())
            return 0;
        const std::uint8_t next = bytes[at + i];
        const std::uint8_t min = i == 1 ? low : 0x80;
        const std::uint8_t max = i == 1 ? high : 0xBF;
        if (next < min || next > max)
            return 0;
        invalidLength = i + 1;
    }
    return length;
}

// True when the `words` eight-byte words at `bytes` are all ASCII.
bool isASCII(const std::uint8_t* bytes, std::size_t words) {
    std::uint64_t any = 0;
    for (std::size_t index = 0; index < words; ++index) {
        std::uint64_t word;
        std::memcpy(&word, bytes + index * sizeof word, sizeof word);
        any |= word;
    }
    return (any & 0x8080808080808080ull) == 0;
}

// Length of the longest valid prefix. ASCII is checked many bytes at a time, since pipe output
// and file contents are mostly ASCII and may run to many megabytes.
std::size_t validPrefixLength(Bytes bytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t left = bytes.size() - at;
        if (left >= 64 && isASCII(bytes.data() + at, 8)) {
            at += 64;
            continue;
        }
        if (left >= 8 && isASCII(bytes.data() + at, 1)) {
            at += 8;
            continue;
        }
        std::size_t invalidLength = 0;
        const std::size_t length = validSequenceLength(bytes, at, invalidLength);
        if (length == 0)
            return at;
        at += length;
    }
    return at;
}

} // namespace

std::string decodeUTF8Lossy(Bytes bytes) {
    std::string text;
    text.reserve(bytes.size());
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t valid = validPrefixLength(bytes.subspan(at));
        text.append(reinterpret_cast<const char*>(bytes.data() + at), valid);
        at += valid;
        if (at < bytes.size()) {
            std::size_t invalidLength = 0;
            validSequenceLength(bytes, at, invalidLength);
            text.append("\xEF\xBF\xBD");
            at += invalidLength;
        }
    }
    return text;
}

std::string decodeUTF8Lossy(std::string&& text) {
    if (isValidUTF8(text))
        return std::move(text);
    return decodeUTF8Lossy(std::string_view(text));
}

std::size_t validUTF8SequenceLength(Bytes bytes, std::size_t at) {
    std::size_t invalidLength = 0;
    return validSequenceLength(bytes, at, invalidLength);
}

bool isValidUTF8(std::string_view text) {
    const Bytes bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    return validPrefixLength(bytes) == bytes.size();
}

} // namespace Foundation
