// A pop-up list on a terminal: a menu, or a pop-up button's open choices, in
// a frame over the screen.
//
// The list opens where it belongs (below its control, beside the row that
// opened it) when it fits there whole; else above its control, when it may
// open there; else it moves up or down as little as it takes to fit inside
// the room. Taller than the room, it takes all of it and scrolls so that the
// marked row stays in sight, its frame marked with ▲ or ▼ where rows are
// hidden.
#pragma once

#include <Graphics/Cells.h>
#include <optional>

namespace AppKit::TerminalPopUp {

struct Request {
    // The list's rows, and its columns inside the frame.
    int rows = 0;
    int columns = 0;
    // Where the frame's top-left corner wants to be.
    Graphics::CellPoint at;
    // The row the frame ends before when the list opens above its control, if it may.
    std::optional<int> above;
    // The row to keep in sight.
    std::optional<int> marked;
};

struct Placement {
    // The frame, inside the room where it fits.
    Graphics::CellRect box;
    // The first of the list's rows it shows.
    int first = 0;
    // The frame's inside, where the rows from `first` on show.
    Graphics::CellRect inside() const {
        return {box.x + 1, box.y + 1, box.width - 2, box.height - 2};
    }
};

Placement place(const Request& request, const Graphics::CellRect& room);
// Clears the placed list's box and frames it, marking the rows hidden above and below.
void frame(Graphics::CellCanvas& screen, const Placement& placement, int rows);

} // namespace AppKit::TerminalPopUp
