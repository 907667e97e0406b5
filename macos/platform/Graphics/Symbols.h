// The system symbols the application shows, drawn as simple vector shapes.
//
// Each symbol is drawn centred in the largest square that fits its box, in one
// colour; the ".fill" symbols are solid with their inner mark cut out, so the
// background shows through it. In character cells each is one character.
#pragma once

#include <Graphics/Color.h>
#include <Graphics/Geometry.h>
#include <string_view>

typedef struct _cairo cairo_t;

namespace Graphics {

bool isKnownSymbol(std::string_view name);

// Draws the symbol; an unknown name draws a crossed-out square and returns false.
bool drawSymbol(cairo_t* cairo, std::string_view name, Rect box, const Color& color);

// The one-column character that stands for the symbol on a terminal; a crossed-out square for an
// unknown name.
std::string_view symbolGlyph(std::string_view name);

} // namespace Graphics
