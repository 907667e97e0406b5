// Characters as cells split, draw and count them, by the rules a terminal measures with.
#include "CellCharacters.h"

#include <Foundation/Unicode.h>
#include <unicode/uchar.h>

namespace Graphics {

namespace {

// Format characters other than the bidirectional controls draw nothing, and the emoji
// presentation selector widens its character in some terminals only.
bool isLeftOut(char32_t scalar) {
    if (scalar == 0xFE0F)
        return true;
    return scalar >= 0xAD && u_charType(static_cast<UChar32>(scalar)) == U_FORMAT_CHAR &&
           !Foundation::isBidiControl(scalar);
}

// A line or paragraph separator is a line break where text is laid out, and nothing a terminal
// draws.
bool isShownAsReplacement(char32_t scalar) {
    if (isControlScalar(scalar) || Foundation::isBidiControl(scalar))
        return true;
    const auto category = u_charType(static_cast<UChar32>(scalar));
    return category == U_UNASSIGNED || category == U_LINE_SEPARATOR ||
           category == U_PARAGRAPH_SEPARATOR;
}

int scalarColumns(char32_t scalar) {
    if (isShownAsReplacement(scalar))
        return 1;
    const auto value = static_cast<UChar32>(scalar);
    const auto category = static_cast<UCharCategory>(u_charType(value));
    const auto syllable = u_getIntPropertyValue(value, UCHAR_HANGUL_SYLLABLE_TYPE);
    if (category == U_NON_SPACING_MARK || category == U_ENCLOSING_MARK ||
        syllable == U_HST_VOWEL_JAMO || syllable == U_HST_TRAILING_JAMO)
        return 0;
    const auto width = u_getIntPropertyValue(value, UCHAR_EAST_ASIAN_WIDTH);
    return width == U_EA_WIDE || width == U_EA_FULLWIDTH ? 2 : 1;
}

} // namespace

void forEachCellCharacter(std::string_view text,
                          const std::function<bool(std::string_view)>& visit) {
    std::string character;
    // Whether zero-width scalars that follow join the character: not one shown as U+FFFD.
    bool takesMarks = false;
    for (const char32_t scalar : Foundation::Unicode::scalars(text)) {
        if (isLeftOut(scalar))
            continue;
        const bool joins =
            (scalar == U'\n' && character == "\r") ||
            (takesMarks && !isShownAsReplacement(scalar) && scalarColumns(scalar) == 0);
        if (!joins && !character.empty()) {
            if (!visit(character))
                return;
            character.clear();
        }
        Foundation::Unicode::appendUTF8(character, scalar);
        takesMarks = !isShownAsReplacement(scalar);
    }
    if (!character.empty())
        visit(character);
}

std::pair<std::string, int> drawable(std::string_view character) {
    const char32_t first = Foundation::Unicode::firstScalar(character);
    if (isShownAsReplacement(first))
        return {"\uFFFD", 1};
    const int columns = scalarColumns(first);
    if (columns == 0)
        return {"\u25CC" + std::string(character), 1};
    return {std::string(character), columns};
}

bool isLineBreak(std::string_view character) {
    return character == "\n" || character == "\r\n" || character == "\u2028" ||
           character == "\u2029";
}

int columnsOf(std::string_view text) {
    int columns = 0;
    forEachCellCharacter(text, [&](std::string_view character) {
        columns += drawable(character).second;
        return true;
    });
    return columns;
}

} // namespace Graphics
