#include "TerminalOutput.h"

#include <string_view>

namespace AppKit::TerminalOutput {

namespace {

std::string base64(std::string_view bytes) {
    constexpr std::string_view digits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string encoded;
    encoded.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - at);
        unsigned group = 0;
        for (std::size_t i = 0; i < 3; ++i)
            group = group << 8 | (i < count ? static_cast<unsigned char>(bytes[at + i]) : 0u);
        for (std::size_t i = 0; i < 4; ++i)
            encoded += i <= count ? digits[group >> (18 - 6 * i) & 0x3F] : '=';
    }
    return encoded;
}

std::string moveTo(int x, int y) {
    return "\x1b[" + std::to_string(y + 1) + ";" + std::to_string(x + 1) + "H";
}

} // namespace

Graphics::CellStyling styling(const char* noColor, const char* term) {
    if (!term || !*term || std::string_view(term) == "dumb")
        return Graphics::CellStyling::Plain;
    return noColor && *noColor ? Graphics::CellStyling::Uncoloured
                               : Graphics::CellStyling::Coloured;
}

std::string clipboardSequence(std::string_view text) {
    return "\x1b]52;c;" + base64(text) + "\a";
}

std::string Frames::update(const Graphics::CellCanvas& canvas,
                           std::optional<Graphics::CellPoint> cursor) {
    std::string out;
    if (m_whole || static_cast<int>(m_rows.size()) != canvas.height()) {
        out = "\x1b[0m\x1b[2J";
        m_rows.assign(static_cast<std::size_t>(canvas.height()), {});
        m_whole = true;
    }
    for (int y = 0; y < canvas.height(); ++y) {
        std::string row = Graphics::ansiLine(canvas, y, m_styling);
        auto& written = m_rows[static_cast<std::size_t>(y)];
        if (!m_whole && row == written)
            continue;
        out += moveTo(0, y) + row;
        written = std::move(row);
    }
    if (!out.empty() || cursor != m_cursor || m_whole)
        out += cursor ? moveTo(cursor->x, cursor->y) + "\x1b[?25h" : "\x1b[?25l";
    m_whole = false;
    m_cursor = cursor;
    return out;
}

void Frames::invalidate() {
    m_whole = true;
}

} // namespace AppKit::TerminalOutput
