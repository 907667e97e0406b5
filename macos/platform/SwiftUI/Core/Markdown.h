// The inline Markdown of text given as a key: code spans, and nothing else.
//
// A run of backticks opens a code span that the next run of the same length
// closes; its text is shown monospaced, with one space trimmed from each end
// when both ends have one. Backticks that close nothing, and every other
// character, stand for themselves.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace SwiftUI::Markdown {

struct Span {
    std::string text;
    bool code = false;
    bool operator==(const Span&) const = default;
};

std::vector<Span> parse(std::string_view text);

} // namespace SwiftUI::Markdown
