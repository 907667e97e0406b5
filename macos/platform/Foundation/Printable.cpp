#include "Printable.h"

#include <Foundation/Unicode.h>

namespace Foundation {

namespace {

std::string replacingControls(std::string_view text, bool keepLines) {
    std::u32string scalars = Unicode::scalars(text);
    for (char32_t& scalar : scalars) {
        if ((isControlScalar(scalar) || isBidiControl(scalar)) &&
            !(keepLines && (scalar == U'\n' || scalar == U'\t')))
            scalar = U'\uFFFD';
    }
    return Unicode::utf8(scalars);
}

} // namespace

bool isControlScalar(char32_t scalar) {
    return scalar < 0x20 || (scalar >= 0x7F && scalar <= 0x9F);
}

bool isBidiControl(char32_t scalar) {
    return scalar == 0x061C || scalar == 0x200E || scalar == 0x200F ||
           (scalar >= 0x202A && scalar <= 0x202E) || (scalar >= 0x2066 && scalar <= 0x2069);
}

std::string printable(std::string_view text) {
    return replacingControls(text, false);
}

std::string printableLines(std::string_view text) {
    return replacingControls(text, true);
}

} // namespace Foundation
