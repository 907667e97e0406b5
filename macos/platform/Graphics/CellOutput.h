// Character cells as terminal output.
//
// A row becomes the characters a terminal draws, each cell once (a wide
// character's continuation adds nothing), with SGR escapes for their styles,
// written only where the style changes and never when colour is off; a row in
// colour ends with its attributes reset, so that nothing after it inherits
// them.
#pragma once

#include "Cells.h"

#include <string>

namespace Graphics {

// Row `y` of the canvas as terminal output, with SGR escapes when `colour`.
std::string ansiLine(const CellCanvas& canvas, int y, bool colour);

} // namespace Graphics
