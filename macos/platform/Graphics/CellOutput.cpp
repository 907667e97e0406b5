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
    case CellColor::Black:
        return std::to_string(base);
    case CellColor::Red:
        return std::to_string(base + 1);
    case CellColor::Green:
        return std::to_string(base + 2);
    case CellColor::Yellow:
        return std::to_string(base + 3);
    case CellColor::Blue:
        return std::to_string(base + 4);
    case CellColor::Magenta:
        return std::to_string(base + 5);
    case CellColor::Cyan:
        return std::to_string(base + 6);
    case CellColor::White:
        return std::to_string(base + 7);
    case CellColor::Gray:
        return std::to_string(base + 60);
    case CellColor::Orange:
        return background ? "48;5;208" : "38;5;208";
    }
    return {};
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

std::string ansiLine(const CellCanvas& canvas, int y, bool colour) {
    std::string line;
    std::optional<CellStyle> current;
    for (int x = 0; x < canvas.width(); ++x) {
        const Cell& cell = canvas.at(x, y);
        if (cell.continuation)
            continue;
        if (colour && current != cell.style) {
            line += sgr(cell.style);
            current = cell.style;
        }
        line += cell.glyph;
    }
    if (colour)
        line += "\x1b[0m";
    return line;
}

} // namespace Graphics
