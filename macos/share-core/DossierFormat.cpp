#include "DossierFormat.h"

#include <Foundation/Unicode.h>
#include <algorithm>
#include <cmath>

namespace DossierFormat {

std::int64_t words(std::string_view text) {
    using namespace Foundation::Unicode;
    std::int64_t count = 0;
    bool inWord = false;
    forEachCharacter(text, [&](std::string_view character) {
        const bool space = hasWhiteSpaceProperty(firstScalar(character));
        if (!space && !inWord)
            ++count;
        inWord = !space;
        return true;
    });
    return count;
}

std::int64_t minutes(std::int64_t words) {
    const double exact = static_cast<double>(words) / static_cast<double>(wordsPerMinute);
    return std::max<std::int64_t>(1, std::llround(exact));
}

std::string thousands(std::int64_t value) {
    const bool negative = value < 0;
    // Negated in unsigned arithmetic, so the smallest value has a magnitude too.
    std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string digits;
    int inGroup = 0;
    do {
        if (inGroup == 3) {
            digits += ',';
            inGroup = 0;
        }
        digits += static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
        ++inGroup;
    } while (magnitude > 0);
    if (negative)
        digits += '-';
    return {digits.rbegin(), digits.rend()};
}

} // namespace DossierFormat
