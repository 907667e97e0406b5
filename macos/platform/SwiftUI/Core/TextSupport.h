// Texts as other views use them: for labels, lookups, descriptions and drawing
// the strings controls show themselves.
#pragma once

#include "Description.h"
#include "Element.h"

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

// A paragraph of `text` in the environment's font, drawn in the colour the caller gives.
Graphics::Paragraph paragraph(const std::string& text, const Environment& environment,
                              std::optional<double> width = std::nullopt, int maxLines = 0);
// The size of a laid-out text, rounded up to whole points.
Size roundedSize(const Graphics::TextLayout& layout);

} // namespace SwiftUI
