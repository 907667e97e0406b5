#include "TextSupport.h"

#include <Graphics/Symbols.h>
#include <algorithm>
#include <cmath>

namespace SwiftUI {

StyledText plainText(const std::string& text, const Environment& environment,
                     std::optional<double> width, int maxLines) {
    StyledText result;
    result.pieces.push_back({.text = text, .font = environment.resolvedFont()});
    result.width = width;
    result.maxLines = maxLines;
    return result;
}

Graphics::Paragraph pointParagraph(const StyledText& text) {
    Graphics::Paragraph result;
    for (const TextPiece& piece : text.pieces) {
        Graphics::TextRun run;
        run.font = piece.font.resolved();
        if (piece.color) {
            run.color = piece.color->resolved();
        }
        run.letterSpacing = piece.kerning;
        if (piece.image) {
            run.object = inlineImage(*piece.image, piece.font,
                                     piece.color.value_or(Color::primary).resolved());
        } else {
            run.text = piece.text;
        }
        result.runs.push_back(std::move(run));
    }
    result.width = text.width;
    result.maxHeight = text.maxHeight;
    result.maxLines = text.maxLines;
    result.alignment = text.alignment == TextAlignment::Center ? Graphics::TextAlignment::Center
                       : text.alignment == TextAlignment::Trailing
                           ? Graphics::TextAlignment::Trailing
                           : Graphics::TextAlignment::Leading;
    return result;
}

Graphics::CellParagraph cellParagraph(const StyledText& text, const Graphics::CellStyle& base) {
    Graphics::CellParagraph result;
    for (const TextPiece& piece : text.pieces) {
        Graphics::CellStyle style = base;
        if (piece.color) {
            const Graphics::CellStyle shown = cellStyle(*piece.color);
            style.foreground = shown.foreground;
            style.dim = style.dim || shown.dim;
        }
        style.bold = style.bold || piece.font.fontWeight() >= Font::Weight::Semibold;
        if (piece.image) {
            // A named image has no character: the words that stand for it take its place.
            const ImageSource& image = *piece.image;
            result.spans.push_back({image.symbol ? std::string(Graphics::symbolGlyph(image.name))
                                    : image.label.empty() ? "[" + image.name + "]"
                                                          : image.label,
                                    style});
        } else {
            result.spans.push_back(
                {piece.text, style, piece.font.design() == Font::Design::Monospaced});
        }
    }
    if (text.width) {
        result.width = int(std::floor(*text.width));
    }
    result.maxLines = text.maxLines;
    if (text.maxHeight) {
        int rows = std::max(1, int(std::floor(*text.maxHeight)));
        result.maxLines = result.maxLines > 0 ? std::min(result.maxLines, rows) : rows;
    }
    return result;
}

Graphics::CellStyle cellStyle(const Color& color, Font::Weight weight) {
    Graphics::CellStyle style = Graphics::namedColourStyle(color.name());
    style.bold = weight >= Font::Weight::Semibold;
    return style;
}

Size roundedSize(const Graphics::TextLayout& layout) {
    return {std::ceil(layout.size().width - 0.001), std::ceil(layout.size().height - 0.001)};
}

} // namespace SwiftUI
