// Word wrap in cells: ordinary text between words, monospaced text with its spaces as written.
#include "CellText.h"

#include <algorithm>
#include <utility>

namespace Graphics {

namespace {

constexpr std::string_view ellipsis = "…";
constexpr int tabColumns = 8;
// Starts a row that goes on with a code line too wide for the width, so that no one copying it
// takes the row for a line of its own.
constexpr std::string_view continued = "↪ ";
constexpr int continuedColumns = 2;

void append(CellLine& line, const CellSpan& span, int columns) {
    if (!line.spans.empty() && line.spans.back().style == span.style)
        line.spans.back().text += span.text;
    else
        line.spans.push_back(span);
    line.columns += columns;
}

// Keeps whole characters of `line` that fit in `columns` with an ellipsis after them.
void endWithEllipsis(CellLine& line, int columns) {
    const int room = std::max(0, columns - 1);
    CellLine cut;
    bool full = false;
    for (const CellSpan& span : line.spans) {
        CellSpan kept{{}, span.style, span.monospaced};
        forEachCellCharacter(span.text, [&](std::string_view character) {
            const int width = drawable(character).second;
            full = cut.columns + width > room;
            if (full)
                return false;
            kept.text += character;
            cut.columns += width;
            return true;
        });
        if (!kept.text.empty())
            cut.spans.push_back(std::move(kept));
        // A narrower character after the first that did not fit would skip it.
        if (full)
            break;
    }
    const CellStyle style = line.spans.empty() ? CellStyle{} : line.spans.back().style;
    while (!cut.spans.empty() && !cut.spans.back().text.empty() &&
           cut.spans.back().text.back() == ' ') {
        cut.spans.back().text.pop_back();
        --cut.columns;
    }
    cut.spans.push_back({std::string(ellipsis), style});
    cut.columns += 1;
    line = std::move(cut);
}

// Fills lines a character at a time: words whole where they fit, spaces between them.
class Wrapper {
public:
    // `width` 0 wraps nothing.
    explicit Wrapper(int width) : m_width(width), m_lines(1) {}

    void add(const CellSpan& span) {
        forEachCellCharacter(span.text, [&](std::string_view character) {
            if (isLineBreak(character))
                breakLine();
            else if (character == " " || character == "\t")
                space(character == "\t", span);
            else
                addToWord(character, span);
            return true;
        });
    }

    std::vector<CellLine> finish() {
        placeWord();
        return std::move(m_lines);
    }

private:
    struct Word {
        std::vector<CellSpan> pieces;
        int columns = 0;
    };

    CellLine& line() { return m_lines.back(); }
    // Whether the line holds more than its indentation.
    bool hasText() { return line().columns > m_start; }

    void breakLine() {
        placeWord();
        m_lines.emplace_back();
        m_pending = m_indent = m_start = 0;
        m_atStart = m_codeLine = true;
    }

    void space(bool tab, const CellSpan& span) {
        placeWord();
        m_spaceStyle = span.style;
        m_codeLine = m_codeLine && span.monospaced;
        if (!span.monospaced) {
            // Ordinary spaces fold into one, and none starts a line.
            if (hasText())
                m_pending = std::max(m_pending, 1);
            return;
        }
        const int columns = tab ? tabColumns - (line().columns + m_pending) % tabColumns : 1;
        if (!m_atStart) {
            m_pending += columns;
            return;
        }
        // Indentation, kept to a column short of the width so that text still follows it.
        const int room = m_width > 0 ? std::max(0, m_width - 1 - line().columns) : columns;
        const int kept = std::min(columns, room);
        append(line(), {std::string(static_cast<std::size_t>(kept), ' '), span.style}, kept);
        m_indent = m_start = line().columns;
        m_indentStyle = span.style;
    }

    void addToWord(std::string_view character, const CellSpan& span) {
        m_atStart = false;
        m_codeLine = m_codeLine && span.monospaced;
        const CellStyle& style = span.style;
        if (m_word.pieces.empty() || !(m_word.pieces.back().style == style))
            m_word.pieces.push_back({{}, style});
        m_word.pieces.back().text += character;
        m_word.columns += drawable(character).second;
    }

    // A line the wrap goes on with, at the indentation of the line as written; a code line's
    // marked as going on where there is room for the mark and text after it.
    void wrap(const CellStyle& style) {
        m_lines.emplace_back();
        if (m_indent > 0)
            append(line(), {std::string(static_cast<std::size_t>(m_indent), ' '), m_indentStyle},
                   m_indent);
        if (m_codeLine && m_indent + continuedColumns < m_width) {
            CellStyle marked = style;
            marked.dim = true;
            append(line(), {std::string(continued), marked}, continuedColumns);
        }
        m_start = line().columns;
    }

    void placeWord() {
        if (m_word.pieces.empty())
            return;
        const int space = hasText() ? m_pending : 0;
        if (m_width > 0 && hasText() && line().columns + space + m_word.columns > m_width)
            wrap(m_word.pieces.front().style);
        else if (space > 0)
            append(line(), {std::string(static_cast<std::size_t>(space), ' '), m_spaceStyle},
                   space);
        // A word wider than a whole line breaks between its characters.
        for (const CellSpan& piece : m_word.pieces) {
            forEachCellCharacter(piece.text, [&](std::string_view character) {
                const int columns = drawable(character).second;
                if (m_width > 0 && hasText() && line().columns + columns > m_width)
                    wrap(piece.style);
                append(line(), {std::string(character), piece.style}, columns);
                return true;
            });
        }
        m_word = {};
        m_pending = 0;
    }

    int m_width;
    std::vector<CellLine> m_lines;
    Word m_word;
    // Columns of space before the next word, and their style.
    int m_pending = 0;
    CellStyle m_spaceStyle;
    // The monospaced indentation of the line as written, which its wrapped lines start with.
    int m_indent = 0;
    CellStyle m_indentStyle;
    // Where the text of the current line starts, after its indentation.
    int m_start = 0;
    // Whether the line as written has had nothing but spaces yet, and nothing but code.
    bool m_atStart = true;
    bool m_codeLine = true;
};

} // namespace

void append(CellLine& line, const CellSpan& span) {
    append(line, span, columnsOf(span.text));
}

CellLine lineOf(std::string text, const CellStyle& style) {
    CellLine line;
    append(line, {std::move(text), style});
    return line;
}

CellLine fitted(CellLine line, int columns) {
    if (line.columns > columns)
        endWithEllipsis(line, columns);
    return line;
}

int drawLine(CellCanvas& canvas, int x, int y, const CellLine& line, std::optional<CellRect> clip) {
    for (const CellSpan& span : line.spans)
        x = canvas.text(x, y, span.text, span.style, clip);
    return x;
}

CellTextLayout layOutCells(const CellParagraph& paragraph) {
    const int width = paragraph.width ? std::max(1, *paragraph.width) : 0;
    Wrapper wrapper(width);
    for (const CellSpan& span : paragraph.spans)
        wrapper.add(span);
    CellTextLayout layout;
    std::vector<CellLine> lines = wrapper.finish();
    if (paragraph.maxLines > 0 && lines.size() > static_cast<std::size_t>(paragraph.maxLines)) {
        lines.resize(static_cast<std::size_t>(paragraph.maxLines));
        const int room = width > 0 ? width : lines.back().columns + 1;
        endWithEllipsis(lines.back(), std::min(room, lines.back().columns + 1));
        layout.truncated = true;
    }
    for (const CellLine& line : lines)
        layout.columns = std::max(layout.columns, line.columns);
    layout.lines = std::move(lines);
    return layout;
}

} // namespace Graphics
