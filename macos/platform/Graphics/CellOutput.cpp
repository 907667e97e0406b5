// Rows of cells written for a terminal: characters and their styles as SGR escapes.
#include "CellOutput.h"

#include <optional>

namespace Graphics {

namespace {

std::string colourCode(CellColor color, bool background) {
    const int base = background ? 40 : 30;
    switch (color) {
    case CellColor::Default:
        return {};
    case CellColor::Gray:
        return std::to_string(base + 60);
    case CellColor::Orange:
        return background ? "48;5;208" : "38;5;208";
    default:
        // The eight colours every terminal names, Black to White, in the order of their codes.
        return std::to_string(base + static_cast<int>(color) - static_cast<int>(CellColor::Black));
    }
}

std::string sgr(const CellStyle& style) {
    std::string codes = "0";
    const auto add = [&](const std::string& code) {
        if (!code.empty())
            codes += ";" + code;
    };
    add(style.bold ? "1" : "");
    add(style.dim ? "2" : "");
    add(style.underline ? "4" : "");
    add(style.inverse ? "7" : "");
    add(colourCode(style.foreground, false));
    add(colourCode(style.background, true));
    return "\x1b[" + codes + "m";
}

} // namespace

std::string ansiLine(const CellCanvas& canvas, int y, CellStyling styling) {
    const bool escapes = styling != CellStyling::Plain;
    std::string line;
    std::optional<CellStyle> current;
    for (int x = 0; x < canvas.width(); ++x) {
        const Cell& cell = canvas.at(x, y);
        if (cell.continuation)
            continue;
        CellStyle style = cell.style;
        if (styling == CellStyling::Uncoloured)
            style.foreground = style.background = CellColor::Default;
        if (escapes && current != style) {
            line += sgr(style);
            current = style;
        }
        line += cell.glyph;
    }
    if (escapes)
        line += "\x1b[0m";
    return line;
}

} // namespace Graphics
