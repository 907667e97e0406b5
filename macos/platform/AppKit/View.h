// The views a small window is built from: a stack that arranges others, text
// labels and an image view; and a view whose content another layer draws.
//
// Views hold what they show and how; nothing lays them out or draws them
// here. A presentation reads them, and tests read them. Changing what a view
// shows asks for a redraw. A window's content view knows its window and is
// told when the window comes on screen and leaves it.
#pragma once

#include <AppKit/AttributedString.h>
#include <AppKit/Color.h>
#include <AppKit/Font.h>
#include <AppKit/Geometry.h>
#include <AppKit/Image.h>
#include <AppKit/KeyPress.h>
#include <Graphics/Cells.h>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace AppKit {

class Window;

class View {
public:
    virtual ~View() = default;

    // The window whose content this view is; none outside a window.
    std::shared_ptr<Window> window() const { return m_window.lock(); }

    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden);

    // The width and height that constraints hold the view at; none when it sizes itself.
    const std::optional<Size>& fixedSize() const { return m_fixedSize; }
    void setFixedSize(std::optional<Size> size) { m_fixedSize = size; }

protected:
    // The view's window came on screen (true) or left it (false).
    virtual void windowDidChangeVisibility(bool) {}
    // Settles what the view's size depends on; its window asks before it gives its content
    // size, so a view that sizes the window may put off measuring until someone looks.
    virtual void layoutSubtreeIfNeeded() {}

private:
    friend class Window;

    bool m_hidden = false;
    std::optional<Size> m_fixedSize;
    std::weak_ptr<Window> m_window;
};

// A view whose content another layer lays out and draws (a declarative view tree).
//
// On a terminal the content is drawn in character cells: `drawCells` lays it out at most
// `width` columns wide, as tall as it needs, with what it presents (a sheet, a dialog) over it,
// and tells where the focused control (or, with nothing focused, the sheet shown) and the text
// cursor are, so that a presentation scrolling a tall view can keep them in sight. An open
// picker's choices come apart, for the presentation to place on the screen where they fit whole.
// Where the terminal shows no styles (not `styled`), the focused control is marked with
// characters instead of its highlight. The drawing also says which keys the view takes, what has
// the focus first, and the focused control's tool tip. `handleKey` gives it the keys that move the
// focus and act on controls; it answers whether it used the key. `cancelPresentation` closes the
// sheet or dialog it shows as that one's cancel button would, so that closing the window takes the
// sheet first.
class HostedView : public View {
public:
    struct CellPopUp {
        // The rows of the list, without a frame.
        Graphics::CellCanvas rows;
        // The control it opens from, in the drawing's cells.
        Graphics::CellRect control;
        // The row to keep in sight.
        int marked = 0;
    };
    struct CellHints {
        // The keys the view takes, those of the focused control first.
        std::vector<std::string> keys;
        // Whether the view's keys are the only ones that apply, as with a dialog in front.
        bool modal = false;
        std::optional<std::string> toolTip;
    };
    struct CellDrawing {
        Graphics::CellCanvas canvas;
        // The focused control's cells, or the sheet's when it holds no focus.
        std::optional<Graphics::CellRect> focus;
        // While the focus is where it started, the top row of its window or sheet: kept in sight
        // with the focus where both fit, so that either opens at its top.
        std::optional<int> top;
        // Where typing goes, when a text field has the focus.
        std::optional<Graphics::CellPoint> cursor;
        std::optional<CellPopUp> popUp;
        CellHints hints;
    };
    virtual CellDrawing drawCells(int width, bool styled) = 0;
    virtual bool handleKey(const KeyPress& key) = 0;
    // False when it shows no sheet or dialog.
    virtual bool cancelPresentation() { return false; }
};

enum class Orientation { Horizontal, Vertical };
enum class StackAlignment { Leading, CenterX, Trailing, Top, CenterY, Bottom };

class StackView : public View {
public:
    explicit StackView(Orientation orientation = Orientation::Horizontal)
        : m_orientation(orientation) {}

    Orientation orientation() const { return m_orientation; }
    void setOrientation(Orientation orientation) { m_orientation = orientation; }
    StackAlignment alignment() const { return m_alignment; }
    void setAlignment(StackAlignment alignment) { m_alignment = alignment; }
    double spacing() const { return m_spacing; }
    void setSpacing(double spacing) { m_spacing = spacing; }
    const EdgeInsets& edgeInsets() const { return m_edgeInsets; }
    void setEdgeInsets(EdgeInsets insets) { m_edgeInsets = insets; }

    const std::vector<std::shared_ptr<View>>& arrangedSubviews() const { return m_arranged; }
    void addArrangedSubview(std::shared_ptr<View> view);

private:
    Orientation m_orientation;
    StackAlignment m_alignment = StackAlignment::CenterY;
    double m_spacing = 8;
    EdgeInsets m_edgeInsets;
    std::vector<std::shared_ptr<View>> m_arranged;
};

enum class LineBreakMode { WordWrapping, Clipping, TruncatingTail };

// A text field used as a label: not editable, no border, no background.
class TextField : public View {
public:
    // One line, clipped.
    static std::shared_ptr<TextField> label(std::string text);
    // As many lines as it needs, broken between words.
    static std::shared_ptr<TextField> wrappingLabel(std::string text);

    const std::string& stringValue() const { return m_text; }
    void setStringValue(std::string text);
    const Font& font() const { return m_font; }
    void setFont(Font font);
    const Color& textColor() const { return m_color; }
    void setTextColor(Color color);
    TextAlignment alignment() const { return m_alignment; }
    void setAlignment(TextAlignment alignment);
    LineBreakMode lineBreakMode() const { return m_lineBreakMode; }
    void setLineBreakMode(LineBreakMode mode);
    // 0 means no limit.
    int maximumNumberOfLines() const { return m_maximumLines; }
    void setMaximumNumberOfLines(int lines);
    // The width at which the text wraps; 0 means none.
    double preferredMaxLayoutWidth() const { return m_maxWidth; }
    void setPreferredMaxLayoutWidth(double width);

    TextField(std::string text, LineBreakMode mode, int maximumLines);

private:
    std::string m_text;
    Font m_font = Font::systemFont(Font::systemFontSize);
    Color m_color = Color::label();
    TextAlignment m_alignment = TextAlignment::Natural;
    LineBreakMode m_lineBreakMode;
    int m_maximumLines;
    double m_maxWidth = 0;
};

class ImageView : public View {
public:
    explicit ImageView(std::shared_ptr<Image> image = nullptr) : m_image(std::move(image)) {}

    const std::shared_ptr<Image>& image() const { return m_image; }
    void setImage(std::shared_ptr<Image> image);

private:
    std::shared_ptr<Image> m_image;
};

} // namespace AppKit
