// Character cells as terminal output.
//
// A row becomes the characters a terminal draws, each cell once (a wide
// character's continuation adds nothing), with SGR escapes for their styles,
// written only where the style changes. A terminal that is asked for no colour
// still gets bold, dim, underline and inverse; one that shows no styles at all
// gets the characters alone. A row written with escapes ends with its
// attributes reset, so that nothing after it inherits them.
#pragma once

#include "Cells.h"

#include <string>

namespace Graphics {

// How much of the cells' styles a terminal is given.
enum class CellStyling {
    // Nothing: the characters alone, for a terminal that shows no styles.
    Plain,
    // Every style but the colours.
    Uncoloured,
    Coloured,
};

// Row `y` of the canvas as terminal output, styled as `styling` says.
std::string ansiLine(const CellCanvas& canvas, int y, CellStyling styling);

} // namespace Graphics
