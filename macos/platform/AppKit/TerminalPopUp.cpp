#include "TerminalPopUp.h"

#include "TerminalViews.h"

#include <algorithm>

namespace AppKit::TerminalPopUp {

Placement place(const Request& request, const Graphics::CellRect& room) {
    const int width = request.columns + 2;
    const int wanted = request.rows + 2;
    Placement placement;
    placement.box.x = std::clamp(request.at.x, room.x, std::max(room.x, room.maxX() - width));
    placement.box.width = width;
    if (wanted <= room.height) {
        const bool fitsAt = request.at.y >= room.y && request.at.y + wanted <= room.maxY();
        const bool fitsAbove =
            request.above && *request.above - wanted >= room.y && *request.above <= room.maxY();
        placement.box.y = fitsAt      ? request.at.y
                          : fitsAbove ? *request.above - wanted
                                      : std::clamp(request.at.y, room.y, room.maxY() - wanted);
        placement.box.height = wanted;
        return placement;
    }
    placement.box.y = room.y;
    placement.box.height = std::max(3, room.height);
    const int visible = placement.box.height - 2;
    if (request.marked)
        placement.first =
            std::clamp(*request.marked - visible + 1, 0, std::max(0, request.rows - visible));
    return placement;
}

void frame(Graphics::CellCanvas& screen, const Placement& placement, int rows) {
    const Graphics::CellRect& box = placement.box;
    TerminalViews::frame(screen, box);
    const int middle = box.x + box.width / 2;
    if (placement.first > 0)
        screen.text(middle, box.y, "▲", {});
    if (placement.first + box.height - 2 < rows)
        screen.text(middle, box.maxY() - 1, "▼", {});
}

} // namespace AppKit::TerminalPopUp
