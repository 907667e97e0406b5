// A window on a terminal: framed, its title in the frame, its content
// scrolled within the room the screen has.
//
// A hosted view draws its own cells; stacks, labels and images are laid out
// here. A window taller than its room scrolls: a page or a row at a time on
// request, and by itself so that the focused control and the text cursor are
// in sight in every drawing, whether the window just opened, its room changed
// or its content did. While the focus is where it started, the top of its
// window or sheet is in sight with it where both fit; where they do not, the
// view stands with the focused control at its foot. It also follows what the
// window says as it changes, such as a status line or the outcome of an
// action: rows whose text was on none of the window's rows when it was last
// drawn (in the same room) are brought into view, their top first when they
// are many, as far as the focused control stays in sight; with no control
// focused they are always brought in. Nothing is news in the first drawing.
// Where the user scrolled, the view stays, whatever the window then says or
// the room it has, until the view takes a key, which may move the focus.
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
    // The view took a key, which may have moved the focus: the view follows it again.
    void viewTookKey() { m_scrolledByUser = false; }
    // Whether the content is taller than the room it had when last drawn.
    bool scrolls() const { return m_overflow > 0; }
    // What the content said of its keys and tool tip when last drawn.
    const HostedView::CellHints& hints() const { return m_hints; }

private:
    void bringIntoView(const Graphics::CellRect& rect);
    // What stays in sight for `focus`: with the `top` row of its window or sheet where both fit.
    Graphics::CellRect sight(const Graphics::CellRect& focus, std::optional<int> top) const;
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
    // Whether the user scrolled since the view last took a key.
    bool m_scrolledByUser = false;
    HostedView::CellHints m_hints;
    // The width the content was last laid out for, and the text of its rows then; no rows before
    // the first drawing.
    int m_width = 0;
    std::vector<std::string> m_rows;
};

} // namespace AppKit
