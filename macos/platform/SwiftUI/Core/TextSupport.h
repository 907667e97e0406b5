// Texts as other views use them: for labels, lookups, descriptions, and the
// paragraphs that either metric lays out and either painter draws.
#pragma once

#include "Description.h"
#include "Element.h"
#include "ImageSupport.h"

#include <Graphics/CellText.h>
#include <Graphics/TextLayout.h>
#include <optional>
#include <string>

namespace SwiftUI {

// The text a Text element shows, or nothing for another element.
std::optional<std::string> textOf(const Element& element);
// Every text shown in the element's subtree, in order.
std::vector<std::string> textsIn(const Element& element);
// The texts of the subtree joined by spaces.
std::string joinedText(const Element& element);
const char* weightName(Font::Weight weight);
// Writes a Text element's style tokens (font, weight, colour, …) onto a description line.
void describeTextStyle(const Element& element, Description::Line& line);

// One run of a paragraph: text in one font and colour, or an inline image.
struct TextPiece {
    std::string text{};
    Font font = Font::body;
    // Unset: the colour the paragraph is drawn in.
    std::optional<Color> color{};
    double kerning = 0;
    std::optional<ImageSource> image{};
};

// A paragraph as a view sets it, in the units of the metric that lays it out.
struct StyledText {
    std::vector<TextPiece> pieces;
    // Lines wrap to this width; unset, they break only at line feeds. Finite when set.
    std::optional<double> width;
    // Lines that do not fit drop, the last kept one ending in "…". Finite when set.
    std::optional<double> maxHeight;
    // At most this many lines; 0 for no limit.
    int maxLines = 0;
    TextAlignment alignment = TextAlignment::Leading;
};

// A paragraph of `text` in the environment's font, drawn in the colour the caller gives.
StyledText plainText(const std::string& text, const Environment& environment,
                     std::optional<double> width = std::nullopt, int maxLines = 0);
// The paragraph as it is set in points.
Graphics::Paragraph pointParagraph(const StyledText& text);
// The paragraph in cells, each piece in the style of its weight and colour over `base`; a symbol
// is its glyph, and a named image, which has no character, is left out.
Graphics::CellParagraph cellParagraph(const StyledText& text, const Graphics::CellStyle& base);
// How text in `color` and `weight` shows in cells: the named colours as the terminal's, the
// faint styles dimmed, the heavier weights bold.
Graphics::CellStyle cellStyle(const Color& color, Font::Weight weight = Font::Weight::Regular);
// The size of a laid-out text, rounded up to whole points.
Size roundedSize(const Graphics::TextLayout& layout);

} // namespace SwiftUI
