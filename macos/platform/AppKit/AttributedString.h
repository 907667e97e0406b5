// Text with attributes: runs of text, each with a font, a colour and a
// paragraph style, the way a menu item's attributed title is made.
//
// A paragraph style here holds the tab stops: a tab in the text moves on to
// the next stop, a left stop starting the text after it and a right stop
// ending it there. Locations are points from the start of the line.
#pragma once

#include <AppKit/Color.h>
#include <AppKit/Font.h>
#include <optional>
#include <string>
#include <vector>

namespace AppKit {

enum class TextAlignment { Natural, Left, Center, Right };

struct TextTab {
    TextAlignment alignment = TextAlignment::Left;
    double location = 0;
    bool operator==(const TextTab&) const = default;
};

struct ParagraphStyle {
    std::vector<TextTab> tabStops;
    bool operator==(const ParagraphStyle&) const = default;
};

struct TextAttributes {
    std::optional<Font> font;
    std::optional<Color> foregroundColor;
    std::optional<ParagraphStyle> paragraphStyle;
    bool operator==(const TextAttributes&) const = default;
};

class AttributedString {
public:
    struct Run {
        std::string text;
        TextAttributes attributes;
        bool operator==(const Run&) const = default;
    };

    AttributedString() = default;

    void append(std::string text, TextAttributes attributes);
    // Gives every run this paragraph style.
    void setParagraphStyle(const ParagraphStyle& style);

    std::string string() const;
    const std::vector<Run>& runs() const { return m_runs; }

    bool operator==(const AttributedString&) const = default;

private:
    std::vector<Run> m_runs;
};

} // namespace AppKit
