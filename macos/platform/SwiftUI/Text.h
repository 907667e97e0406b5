// Text, as the user reads it.
//
// `Text("…")` with a string literal is a key: its inline Markdown applies (code
// spans come out monospaced). `Text(std::string)` and `Text::verbatim` show the
// text exactly as given, which is how every text from a model or the bridge is
// shown. Texts concatenate with `+`, images included, into one paragraph.
//
// A text wraps at the width it is proposed and takes the height of its lines;
// proposed less height than it needs, it keeps the lines that fit (at least
// one) and ends the last with "…", as it does beyond its line limit. Proposed
// nothing, it takes one line per paragraph.
#pragma once

#include <SwiftUI/View.h>
#include <string>

namespace SwiftUI {

class Image;

class Text : public View {
public:
    Text(const char* key);
    Text(std::string verbatim);
    static Text verbatim(std::string text);
    // An image inline in the text, at the height of its line.
    explicit Text(const Image& image);

    // Modifiers of the text's own runs; a run's own style wins over one set on the whole.
    Text font(Font font) const;
    Text bold(bool active = true) const;
    Text fontWeight(Font::Weight weight) const;
    Text foregroundStyle(Color style) const;
    Text foregroundColor(Color color) const { return foregroundStyle(color); }
    Text kerning(double kerning) const;

    friend Text operator+(const Text& first, const Text& second);

private:
    explicit Text(std::shared_ptr<const Node> node);
};

} // namespace SwiftUI
