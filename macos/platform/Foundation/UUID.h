// Random universally unique identifiers.
//
// A `UUID` is 16 random bytes with the version-4 and variant bits set. Its
// text is the usual 36-character form with uppercase hexadecimal digits and
// dashes, as the platform writes it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace Foundation {

class UUID {
public:
    // A new identifier from the system's random source.
    static UUID random();

    std::string uuidString() const;
    const std::array<std::uint8_t, 16>& bytes() const { return m_bytes; }

private:
    explicit UUID(std::array<std::uint8_t, 16> bytes) : m_bytes(bytes) {}
    std::array<std::uint8_t, 16> m_bytes;
};

} // namespace Foundation
