// AppKit's own objects in character cells, for the terminal presentation.
//
// Points become cells at a fixed width per column and height per row, so a
// menu title's tab stops line up as they do on screen and a label wraps
// where its width says. A label's font and colour become a cell style (bold
// for weights above regular, the named colours, secondary text dimmed). A
// picture shows in half blocks, black on white so that a QR code scans on a
// dark terminal too. Views whose content another layer draws are not laid
// out here: the presentation asks them for their cells.
#pragma once

#include <AppKit/AttributedString.h>
#include <AppKit/View.h>
#include <CoreImage/Image.h>
#include <Graphics/CellText.h>
#include <optional>

namespace AppKit::TerminalViews {

inline constexpr double pointsPerColumn = 7;
inline constexpr double pointsPerRow = 16;

Graphics::CellStyle style(const std::optional<Font>& font, const std::optional<Color>& color);
// Where a title's tab stops stand. `scale` below 1 brings them nearer the start, for rows that
// share them and must fit a narrower space together; with `cutAtStops`, a part that would run past
// its stop ends in "…" there, so that the columns after it stay lined up with the other rows'.
struct TabStops {
    double scale = 1;
    bool cutAtStops = false;
};

// An attributed title on one line, each tab moving on to its stop.
Graphics::CellLine line(const AttributedString& text, TabStops stops = {});
// One module per column and two per row, with a margin at the sides.
Graphics::CellCanvas picture(const CoreImage::Image& picture);
// Clears `box` and draws a frame around it, `title` in its top edge.
void frame(Graphics::CellCanvas& screen, const Graphics::CellRect& box,
           const Graphics::CellLine& title = {});
// Stacks, labels and images laid out at most `width` columns wide, as wide and as tall as they
// need.
Graphics::CellCanvas view(const View& view, int width);

} // namespace AppKit::TerminalViews
