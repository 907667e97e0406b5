// Drawing and sizing the two kinds of image, alone or inline in text.
#pragma once

#include "Element.h"

#include <Graphics/Image.h>
#include <Graphics/TextLayout.h>
#include <memory>
#include <string>

namespace SwiftUI {

struct ImageSource {
    std::string name;
    bool symbol = false;
    // The words that stand for a named image where it cannot be drawn.
    std::string label{};
};

// The image view's source, or nothing for another view.
std::optional<ImageSource> imageSourceOf(const View& view);

// A symbol's box in `font`: as high as a line, its baseline where the text's is.
Size symbolSize(const Font& font);
double symbolBaseline(const Font& font);
void drawSymbol(cairo_t* cairo, const std::string& name, Rect box, const Font& font,
                const Graphics::Color& color);

// The image as an object inside a line of text in `font`.
Graphics::InlineObject inlineImage(const ImageSource& source, const Font& font,
                                   const Graphics::Color& color);

} // namespace SwiftUI
