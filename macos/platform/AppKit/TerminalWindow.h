// A window on a terminal: framed, its title in the frame, its content
// scrolled within the room the screen has.
//
// A hosted view draws its own cells; stacks, labels and images are laid out
// here. A window taller than its room scrolls: a page or a row at a time on
// request, and by itself whenever the focused control or the text cursor
// moves out of sight, so that they stay in view. It also follows what the
// window says as it changes, such as a status line or the outcome of an
// action: rows whose text was on none of the window's rows when it was last
// drawn (in the same room) are brought into view, their top first when they
// are many, as far as the focused control stays in sight; with no control
// focused they are always brought in. Nothing is news in the first drawing.
// The frame shows when there is more above or below. A hosted view's open
// pop-up list stands over the screen where it fits whole (see TerminalPopUp.h),
// not inside the window.
#pragma once

#include <AppKit/Window.h>
#include <Graphics/Cells.h>
#include <optional>
#include <string>
#include <vector>

namespace AppKit {

class TerminalWindow {
public:
    // Draws `window` centred in `area` of `screen`, as tall as its content or the area, for a
    // terminal that shows styles when `styled`; gives where the text cursor stands on screen
    // when it is in sight.
    std::optional<Graphics::CellPoint> draw(Window& window, Graphics::CellCanvas& screen,
                                            const Graphics::CellRect& area, bool styled);
    // Scrolls by `pages` pages, down when positive, as far as the content goes.
    void page(int pages);
    // Scrolls by `lines` rows, down when positive.
    void scroll(int lines);
    // Whether the content is taller than the room it had when last drawn.
    bool scrolls() const { return m_overflow > 0; }
    // What the content said of its keys and tool tip when last drawn.
    const HostedView::CellHints& hints() const { return m_hints; }

private:
    void bringIntoView(const Graphics::CellRect& rect);
    // Draws `popUp`, opened from the content drawn at `origin`, inside `room`.
    static void drawPopUp(Graphics::CellCanvas& screen, const HostedView::CellPopUp& popUp,
                          Graphics::CellPoint origin, const Graphics::CellRect& room);
    // Brings `news` into view unless that takes `focus` out of sight.
    void follow(const Graphics::CellRect& news, const std::optional<Graphics::CellRect>& focus);
    bool inSight(const Graphics::CellRect& rect) const;
    // The rows of `content`, laid out for `width` columns, whose text is new since the last
    // drawing at that width; notes its rows for the next.
    std::optional<Graphics::CellRect> news(const Graphics::CellCanvas& content, int width);

    int m_offset = 0;
    int m_page = 1;
    int m_overflow = 0;
    std::optional<Graphics::CellRect> m_focus;
    std::optional<Graphics::CellPoint> m_cursor;
    HostedView::CellHints m_hints;
    // The width the content was last laid out for, and the text of its rows then; no rows before
    // the first drawing.
    int m_width = 0;
    std::vector<std::string> m_rows;
};

} // namespace AppKit
