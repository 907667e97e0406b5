// Drawing elements laid out in cells into a canvas of character cells.
//
// The painter keeps what is in force while a subtree draws: the clip
// rectangle, and the dimming of disabled controls. It knows where the
// keyboard is (the focused control, the cursor in a focused text field, an
// open list of choices), so that controls draw themselves focused, and it
// knows whether the terminal shows styles: where it does not, the focused
// control is marked with characters instead of its highlight. It
// gathers where the focused control and the text cursor ended up, and the
// open list of choices, which is drawn apart for the screen to place.
#pragma once

#include "Element.h"
#include "TextSupport.h"

#include <AppKit/View.h>
#include <Graphics/Cells.h>
#include <optional>
#include <string>
#include <string_view>

namespace SwiftUI {

class CellPainter {
public:
    struct Focus {
        // The focused control's identity; empty for none.
        std::string identity;
        // How many characters come before the cursor in a focused text field.
        std::size_t caret = 0;
        // The choice marked in the focused picker's open list; none while it is closed.
        std::optional<std::size_t> listChoice;
    };

    // How a focused control is marked where styles do not show: "›" before its cells and "‹"
    // after them, or, for a control in brackets, inside the brackets, as "[›OK‹]".
    enum class FocusMarks { Around, InsideBrackets };

    CellPainter(Graphics::CellCanvas& canvas, Focus focus, bool styled);

    Graphics::CellCanvas& canvas() { return m_canvas; }
    void draw(const Element& element);
    void drawChildren(const Element& element);

    // The cells of a frame laid out in cells.
    static Graphics::CellRect cells(const Rect& frame);

    // One line of text from (x, y); returns the column after it.
    int text(int x, int y, std::string_view text, Graphics::CellStyle style);
    // A paragraph in `frame`, each line placed as its alignment says, in `base` where its pieces
    // have no colour of their own.
    void paragraph(const StyledText& text, const Rect& frame, const Graphics::CellStyle& base = {});
    void fill(const Graphics::CellRect& rect, Graphics::CellStyle style,
              std::string_view glyph = " ");
    // Changes the style of the cells of `rect` that are inside the clip.
    template <typename Change> void restyle(const Graphics::CellRect& rect, Change&& change) {
        m_canvas.restyle(clip(rect), change);
    }
    // Whether every cell of `rect` inside the canvas and the clip holds a space.
    bool isBlank(const Graphics::CellRect& rect) const;
    // A frame of lines with round corners just inside `rect`, through the cells left blank (see
    // Graphics::drawFrame).
    void box(const Graphics::CellRect& rect, Graphics::CellStyle style);

    // Runs `body` with its drawing dimmed, as disabled controls are; plain when not `dimmed`.
    template <typename Body> void dimmed(bool dimmed, Body&& body) {
        const bool outer = m_dimmed;
        m_dimmed = outer || dimmed;
        body();
        m_dimmed = outer;
    }
    // Runs `body` with drawing clipped to `rect`.
    template <typename Body> void clipped(const Rect& rect, Body&& body) {
        const std::optional<Graphics::CellRect> outer = m_clip;
        m_clip = clip(cells(rect));
        body();
        m_clip = outer;
    }

    const Focus& focus() const { return m_focus; }
    // Whether the terminal shows styles.
    bool styled() const { return m_styled; }
    bool isFocused(const Element& element) const;
    // Shows `rect` as the focused control's and reports it: inverse unless `highlight` is false,
    // and, where styles do not show, between marks placed as `marks` says.
    void showFocus(const Graphics::CellRect& rect, bool highlight = true,
                   FocusMarks marks = FocusMarks::Around);
    void showCursor(Graphics::CellPoint point) { m_cursor = point; }

    // Shows the focused picker's open list of choices.
    void showPopUp(AppKit::HostedView::CellPopUp popUp) { m_popUp = std::move(popUp); }

    const std::optional<Graphics::CellRect>& focusRect() const { return m_focusRect; }
    const std::optional<Graphics::CellPoint>& cursor() const { return m_cursor; }
    const std::optional<AppKit::HostedView::CellPopUp>& popUp() const { return m_popUp; }

private:
    Graphics::CellRect clip(const Graphics::CellRect& rect) const;
    Graphics::CellStyle shown(Graphics::CellStyle style) const;

    Graphics::CellCanvas& m_canvas;
    Focus m_focus;
    bool m_styled;
    std::optional<Graphics::CellRect> m_clip;
    bool m_dimmed = false;
    std::optional<Graphics::CellRect> m_focusRect;
    std::optional<Graphics::CellPoint> m_cursor;
    std::optional<AppKit::HostedView::CellPopUp> m_popUp;
};

} // namespace SwiftUI
