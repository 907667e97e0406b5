// Laying out and drawing a paragraph of styled text.
//
// A paragraph is a list of runs, each with its own font, colour and letter
// spacing, or an inline object (an image or a symbol) that sits on the
// baseline like a character. Lines break only at line feeds unless a width is
// given; with one, the text wraps between words, and within a word only when
// the word alone is wider than the line. A line limit or a maximum height drops
// the lines that do not fit (at least one line stays) and ends the last kept
// line with an ellipsis. Tab characters move to the next left tab stop. Text
// that is not UTF-8 is set with replacement characters.
//
// A layout is measured once when made; sizes are exact, not rounded.
#pragma once

#include <Graphics/Color.h>
#include <Graphics/Font.h>
#include <Graphics/Geometry.h>
#include <functional>
#include <optional>
#include <string>
#include <vector>

typedef struct _cairo cairo_t;
typedef struct _PangoLayout PangoLayout;

namespace Graphics {

// Something drawn inside a line of text: `size` wide and high, its bottom `descent`
// below the baseline. `draw` paints it into the rectangle the line gives it.
struct InlineObject {
    Size size{};
    double descent = 0;
    std::function<void(cairo_t*, Rect)> draw{};
};

struct TextRun {
    std::string text{};
    Font font{};
    // The run's colour; without one the run takes the colour the layout is drawn in.
    std::optional<Color> color{};
    // Extra space between characters, in points.
    double letterSpacing = 0;
    // When set the run is this object and `text` is ignored.
    std::optional<InlineObject> object{};
};

enum class TextAlignment { Leading, Center, Trailing };

struct Paragraph {
    std::vector<TextRun> runs{};
    std::optional<double> width{};
    // At most this many lines; 0 for no limit.
    int maxLines = 0;
    std::optional<double> maxHeight{};
    TextAlignment alignment = TextAlignment::Leading;
    // Left tab stops, in points from the start of the line, ascending.
    std::vector<double> tabStops{};
};

class TextLayout {
public:
    explicit TextLayout(const Paragraph& paragraph);
    ~TextLayout();
    TextLayout(TextLayout&& other) noexcept;
    TextLayout& operator=(TextLayout&& other) noexcept;
    TextLayout(const TextLayout&) = delete;
    TextLayout& operator=(const TextLayout&) = delete;

    // The width of the widest line and the height of all kept lines.
    Size size() const { return m_size; }
    // Distance from the top to the first line's baseline.
    double firstBaseline() const { return m_firstBaseline; }
    int lineCount() const { return m_lineCount; }
    // True when lines were dropped or a line was cut to fit.
    bool isTruncated() const { return m_truncated; }
    // Where the widest line starts within the paragraph's width (non-zero when aligned).
    double contentOffset() const { return m_contentOffset; }

    // Draws the text with its top-left corner at `origin`; runs without a colour use `color`.
    // Aligned text is aligned within the paragraph's width.
    void draw(cairo_t* cairo, Point origin, const Color& color) const;

private:
    void measure();

    PangoLayout* m_layout = nullptr;
    Size m_size;
    double m_contentOffset = 0;
    double m_firstBaseline = 0;
    int m_lineCount = 0;
    bool m_truncated = false;
};

} // namespace Graphics
