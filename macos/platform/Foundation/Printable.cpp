#include "Printable.h"

#include <Foundation/Unicode.h>

namespace Foundation {

namespace {

std::string replacingControls(std::string_view text, bool keepLines) {
    std::u32string scalars = Unicode::scalars(text);
    for (char32_t& scalar : scalars) {
        if (isControlScalar(scalar) && !(keepLines && (scalar == U'\n' || scalar == U'\t')))
            scalar = U'\uFFFD';
    }
    return Unicode::utf8(scalars);
}

} // namespace

bool isControlScalar(char32_t scalar) {
    return scalar < 0x20 || (scalar >= 0x7F && scalar <= 0x9F);
}

std::string printable(std::string_view text) {
    return replacingControls(text, false);
}

std::string printableLines(std::string_view text) {
    return replacingControls(text, true);
}

} // namespace Foundation
