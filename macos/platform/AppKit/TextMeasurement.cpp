#include "TextMeasurement.h"

#include <Graphics/TextLayout.h>

namespace AppKit {

double textWidth(std::string_view text, const Font& font) {
    Graphics::Paragraph paragraph;
    paragraph.runs.push_back({.text = std::string(text), .font = font.resolved()});
    return Graphics::TextLayout(paragraph).size().width;
}

} // namespace AppKit
