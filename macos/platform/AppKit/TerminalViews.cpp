#include "TerminalViews.h"

#include <Foundation/Unicode.h>
#include <algorithm>
#include <cmath>

namespace AppKit::TerminalViews {

namespace {

using Graphics::CellCanvas;
using Graphics::CellLine;
using Graphics::CellStyle;

int columns(double points) {
    return static_cast<int>(std::lround(points / pointsPerColumn));
}

int rows(double points) {
    return static_cast<int>(std::lround(points / pointsPerRow));
}

bool dark(const CoreImage::Image& picture, int x, int y) {
    if (x < 0 || y < 0 || x >= picture.pixelWidth() || y >= picture.pixelHeight())
        return false;
    return picture.pixels()[static_cast<std::size_t>(y) * picture.pixelWidth() + x] < 128;
}

CellCanvas label(const TextField& field, int width) {
    const double preferred = field.preferredMaxLayoutWidth();
    const int limit = preferred > 0 ? std::clamp(columns(preferred), 1, width) : width;
    const CellStyle look = style(field.font(), field.textColor());
    std::vector<CellLine> lines;
    if (field.lineBreakMode() == LineBreakMode::WordWrapping) {
        lines = Graphics::layOutCells(
                    {{{field.stringValue(), look}}, limit, field.maximumNumberOfLines()})
                    .lines;
    } else {
        // Clipped or truncated, a line cut short ends in "…", so it never reads as whole.
        lines.push_back(Graphics::fitted(Graphics::lineOf(field.stringValue(), look), limit));
    }
    int wide = 0;
    for (const CellLine& line : lines)
        wide = std::max(wide, line.columns);
    CellCanvas canvas(std::min(wide, limit), static_cast<int>(lines.size()));
    for (std::size_t row = 0; row < lines.size(); ++row) {
        const int room = canvas.width() - lines[row].columns;
        const int x = field.alignment() == TextAlignment::Center  ? room / 2
                      : field.alignment() == TextAlignment::Right ? room
                                                                  : 0;
        Graphics::drawLine(canvas, std::max(0, x), static_cast<int>(row), lines[row]);
    }
    return canvas;
}

CellCanvas image(const ImageView& view) {
    const auto& shown = view.image();
    if (shown && shown->picture())
        return picture(*shown->picture());
    const std::string name = shown ? "[" + shown->name() + "]" : "[no image]";
    CellCanvas canvas(Graphics::columnsOf(name), 1);
    canvas.text(0, 0, name, {.dim = true});
    return canvas;
}

CellCanvas stack(const StackView& stack, int width) {
    const EdgeInsets& insets = stack.edgeInsets();
    const int left = columns(insets.left), right = columns(insets.right);
    const int top = rows(insets.top), bottom = rows(insets.bottom);
    const bool vertical = stack.orientation() == Orientation::Vertical;
    const int gap = vertical ? rows(stack.spacing()) : columns(stack.spacing());
    int room = std::max(1, width - left - right);

    std::vector<CellCanvas> arranged;
    int along = 0, across = 0;
    for (const auto& child : stack.arrangedSubviews()) {
        if (child->isHidden())
            continue;
        CellCanvas drawn = view(*child, room);
        const int used = vertical ? drawn.height() : drawn.width();
        along += (arranged.empty() ? 0 : gap) + used;
        across = std::max(across, vertical ? drawn.width() : drawn.height());
        if (!vertical)
            room = std::max(1, room - used - gap);
        arranged.push_back(std::move(drawn));
    }
    CellCanvas canvas(left + (vertical ? across : along) + right,
                      top + (vertical ? along : across) + bottom);
    const StackAlignment alignment = stack.alignment();
    int at = 0;
    for (const CellCanvas& drawn : arranged) {
        const int space = across - (vertical ? drawn.width() : drawn.height());
        const bool centred =
            alignment == (vertical ? StackAlignment::CenterX : StackAlignment::CenterY);
        const bool atEnd =
            alignment == (vertical ? StackAlignment::Trailing : StackAlignment::Bottom);
        const int offset = centred ? space / 2 : atEnd ? space : 0;
        if (vertical)
            canvas.draw(drawn, left + offset, top + at);
        else
            canvas.draw(drawn, left + at, top + offset);
        at += (vertical ? drawn.height() : drawn.width()) + gap;
    }
    return canvas;
}

} // namespace

CellStyle style(const std::optional<Font>& font, const std::optional<Color>& color) {
    CellStyle look = color ? Graphics::namedColourStyle(color->name) : CellStyle{};
    look.bold = font && font->weight() != FontWeight::Regular;
    return look;
}

CellLine line(const AttributedString& text, TabStops stops) {
    struct Piece {
        std::string glyph;
        CellStyle style;
        bool tab;
    };
    std::vector<Piece> pieces;
    const ParagraphStyle* paragraph = nullptr;
    for (const auto& run : text.runs()) {
        if (!paragraph && run.attributes.paragraphStyle)
            paragraph = &*run.attributes.paragraphStyle;
        const CellStyle look = style(run.attributes.font, run.attributes.foregroundColor);
        Foundation::Unicode::forEachCharacter(run.text, [&](std::string_view glyph) {
            pieces.push_back({std::string(glyph), look, glyph == "\t"});
            return true;
        });
    }
    CellLine shown;
    std::size_t tabs = 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (!pieces[i].tab) {
            Graphics::append(shown, {pieces[i].glyph, pieces[i].style});
            continue;
        }
        int target = (shown.columns / 8 + 1) * 8;
        if (paragraph && tabs < paragraph->tabStops.size()) {
            const TextTab& stop = paragraph->tabStops[tabs];
            target = columns(stop.location * stops.scale);
            if (stop.alignment == TextAlignment::Right) {
                int following = 0;
                for (std::size_t j = i + 1; j < pieces.size() && !pieces[j].tab; ++j)
                    following += Graphics::columnsOf(pieces[j].glyph);
                target -= following;
            }
        }
        ++tabs;
        if (stops.cutAtStops && shown.columns >= target)
            shown = Graphics::fitted(std::move(shown), std::max(1, target - 1));
        Graphics::append(
            shown,
            {std::string(static_cast<std::size_t>(std::max(1, target - shown.columns)), ' ')});
    }
    return shown;
}

CellCanvas picture(const CoreImage::Image& picture) {
    // Light columns at the sides, which are cheap; rows are not, and a screen 24 rows high must
    // still show a QR code whole (its own margin is light already).
    constexpr int margin = 2;
    const int width = picture.pixelWidth() + 2 * margin;
    const int height = (picture.pixelHeight() + 1) / 2;
    CellCanvas canvas(width, height);
    for (int row = 0; row < height; ++row) {
        const int y = 2 * row;
        for (int column = 0; column < width; ++column) {
            const int x = column - margin;
            canvas.text(column, row,
                        Graphics::halfBlock(dark(picture, x, y), dark(picture, x, y + 1)),
                        Graphics::pictureStyle);
        }
    }
    return canvas;
}

void frame(CellCanvas& screen, const Graphics::CellRect& box, const CellLine& title) {
    if (box.width < 2 || box.height < 2)
        return;
    screen.fill(box, {});
    Graphics::drawFrame(screen, box, {}, Graphics::FrameCorners::Square);
    if (title.spans.empty() || box.width < 7)
        return;
    const Graphics::CellRect edge{box.x + 2, box.y, box.width - 4, 1};
    screen.text(edge.x, box.y, " ", {}, edge);
    const int end = Graphics::drawLine(screen, edge.x + 1, box.y,
                                       Graphics::fitted(title, edge.width - 2), edge);
    screen.text(end, box.y, " ", {}, edge);
}

CellCanvas view(const View& view, int width) {
    width = std::max(1, width);
    if (view.isHidden())
        return {};
    if (const auto* arranged = dynamic_cast<const StackView*>(&view))
        return stack(*arranged, width);
    if (const auto* field = dynamic_cast<const TextField*>(&view))
        return label(*field, width);
    if (const auto* shown = dynamic_cast<const ImageView*>(&view))
        return image(*shown);
    return {};
}

} // namespace AppKit::TerminalViews
