// The text rendering of an element tree (see HostingController.h for the format).
//
// Each element that shows something writes one line, indented two spaces per
// level: its kind, then its text in quotes, then tokens. Elements that only lay
// out (padding, frames, backgrounds) write no line; their children stand in
// their place, and the attributes they carry (accessibility) go on the next line.
#pragma once

#include "Element.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace SwiftUI {

class Description {
public:
    explicit Description(bool withFrames) : m_withFrames(withFrames) {}

    class Line {
    public:
        Line& quoted(std::string_view text);
        Line& flag(std::string_view token);
        Line& value(std::string_view key, std::string_view value);
        Line& quotedValue(std::string_view key, std::string_view value);

    private:
        friend class Description;
        Line(std::vector<std::string>& lines, std::size_t index) : m_lines(lines), m_index(index) {}
        std::string& text() { return m_lines[m_index]; }
        std::vector<std::string>& m_lines;
        std::size_t m_index;
    };

    // Starts the element's line at the current depth.
    Line line(const Element& element, std::string_view kind);
    // Starts a line that stands for no element, such as a section's footer heading.
    Line heading(std::string_view kind);
    // Describes the element through its node.
    void element(const Element& element);
    // Describes each child one level deeper.
    void children(const Element& element);
    // Describes each child at this element's own depth, for elements without a line.
    void childrenInPlace(const Element& element);
    // Describes `shown` at the depth of `wrapper`, which writes no line of its own.
    void inPlace(const Element& wrapper, std::span<const std::unique_ptr<Element>> shown);
    // Runs `body` one level deeper.
    template <typename Body> void nested(Body&& body) {
        ++m_depth;
        body();
        --m_depth;
    }

    std::string text() const;

private:
    void finishLine();

    bool m_withFrames;
    int m_depth = 0;
    std::vector<std::string> m_lines;
    std::vector<std::string> m_pending;
    const Element* m_lineElement = nullptr;
};

// `text` in double quotes, with quotes, backslashes and line breaks escaped.
std::string quote(std::string_view text);
// A number in its shortest form: 12, 0.8, 11.5.
std::string shortNumber(double value);

} // namespace SwiftUI
